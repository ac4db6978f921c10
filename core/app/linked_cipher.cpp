// A build that links the cipher library calls it directly. Linking this file
// installs such a control before main() (the core tests use it; the program
// opens the library at run time instead).
#include "ciphrax/cipher_control.h"
#include "core/app/cipher_service.h"
#include "core/base/messages.h"

namespace mk {
namespace {

class LinkedCipher : public CipherService {
public:
    LinkedCipher() {
        control_.setErrorHandler([](const std::string& description) {
            MsgBox(description, Buttons::OK, Icon::Critical, ciphrax::CipherControl::kName);
        });
        installCipherService(this);
    }
    ~LinkedCipher() override {
        if (cipherService() == this) installCipherService(nullptr);
    }
    std::string toCipher(const std::string& text) override { return control_.toCipher(text); }
    std::string reCipher(const std::string& cipherText) override {
        return control_.reCipher(cipherText);
    }

private:
    ciphrax::CipherControl control_;
};

LinkedCipher linkedCipher;

}  // namespace
}  // namespace mk
