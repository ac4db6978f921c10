#pragma once
// How the program reaches the cipher control. The program creates the
// control from the cipher library at run time (cipher_library.h) and
// installs it here; the wrappers 暗号化 / 復号化 call whatever is installed.
#include <string>

namespace mk {

class CipherService {
public:
    virtual ~CipherService() = default;
    virtual std::string toCipher(const std::string& text) = 0;
    virtual std::string reCipher(const std::string& cipherText) = 0;
};

// Installs the program-wide control; returns the previous one. With none
// installed the wrappers give "", as the library does when it fails.
CipherService* installCipherService(CipherService* service);
CipherService* cipherService();

// Installs a control for the life of this object, then puts the previous
// one back.
class ScopedCipherService {
public:
    explicit ScopedCipherService(CipherService* service)
        : previous_(installCipherService(service)) {}
    ~ScopedCipherService() { installCipherService(previous_); }
    ScopedCipherService(const ScopedCipherService&) = delete;
    ScopedCipherService& operator=(const ScopedCipherService&) = delete;

private:
    CipherService* previous_;
};

}  // namespace mk
