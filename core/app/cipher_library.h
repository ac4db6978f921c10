#pragma once
// The cipher library opened at run time: the program does not link it but
// opens "libciphrax.so" from a folder (its own) and creates the control
// through the library's one C entry point.
#include <memory>
#include <string>

#include "core/app/cipher_service.h"

namespace mk {

inline const char* const kCipherLibraryFile = "libciphrax.so";
// Where a failure to create the control is reported.
inline const char* const kCipherCreateLocation = "CipherControl1 :  Ciphrax.CipherControl";

class CipherLibrary : public CipherService {
public:
    // Opens `folder` + kCipherLibraryFile and creates its control. A missing
    // or unloadable file, a missing entry point, another table version or a
    // control that cannot be made throw RuntimeError 429.
    explicit CipherLibrary(const std::string& folder);
    ~CipherLibrary() override;
    CipherLibrary(const CipherLibrary&) = delete;
    CipherLibrary& operator=(const CipherLibrary&) = delete;

    // A failure inside the library shows its description with the
    // critical-stop icon, OK, and the library's name as title.
    std::string toCipher(const std::string& text) override;
    std::string reCipher(const std::string& cipherText) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The control the program runs with: the library's, or, when it cannot be
// created, the error report (under kCipherCreateLocation) and a stand-in
// that gives "" for every call, so that the program carries on.
std::unique_ptr<CipherService> createCipherControl(const std::string& folder);

}  // namespace mk
