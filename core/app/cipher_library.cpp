#include "core/app/cipher_library.h"

#include <dlfcn.h>

#include "ciphrax/ciphrax_entry.h"
#include "core/base/errors.h"
#include "core/base/messages.h"

namespace mk {

namespace {

RuntimeError cannotCreate(const std::string& detail) {
    std::string description = describeError(ErrCannotCreateObject);
    if (!detail.empty()) description += " (" + detail + ")";
    return RuntimeError(ErrCannotCreateObject, description);
}

// The library's failure message. Called from inside the library: nothing
// may unwind back into it.
extern "C" void showLibraryFailure(void* context, const char* description) {
    try {
        const char* name = static_cast<const char*>(context);
        MsgBox(description ? description : "", Buttons::OK, Icon::Critical,
               name ? name : "Ciphrax");
    } catch (...) {
    }
}

// Stands in for a control that could not be created.
class NoCipher : public CipherService {
public:
    std::string toCipher(const std::string&) override { return {}; }
    std::string reCipher(const std::string&) override { return {}; }
};

}  // namespace

struct CipherLibrary::Impl {
    void* handle = nullptr;
    const CiphraxApi* api = nullptr;
    CiphraxControl* control = nullptr;

    ~Impl() {
        if (control) api->destroy(control);
        if (handle) dlclose(handle);
    }

    std::string call(char* (*method)(CiphraxControl*, const char*, size_t, size_t*),
                     const std::string& in) {
        size_t length = 0;
        char* out = method(control, in.data(), in.size(), &length);
        if (!out) throw RuntimeError(ErrOutOfMemory);
        std::string result(out, length);
        api->freeText(out);
        return result;
    }
};

CipherLibrary::CipherLibrary(const std::string& folder) : impl_(std::make_unique<Impl>()) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += kCipherLibraryFile;

    impl_->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    // dlerror() speaks English: the report names the file instead.
    if (!impl_->handle) throw cannotCreate(path);
    auto entry = reinterpret_cast<CiphraxEntryFn>(dlsym(impl_->handle, CIPHRAX_ENTRY_NAME));
    if (!entry) throw cannotCreate(path + ": " + CIPHRAX_ENTRY_NAME);

    const CiphraxApi* api = entry();
    // A table of another version or one shorter than ours would be read past
    // its end: refuse it.
    if (!api || api->abiVersion != CIPHRAX_ABI_VERSION || api->size < sizeof(CiphraxApi) ||
        !api->create || !api->destroy || !api->setErrorHandler || !api->toCipher ||
        !api->reCipher || !api->freeText)
        throw cannotCreate(path + ": " + CIPHRAX_ENTRY_NAME);
    impl_->api = api;
    impl_->control = api->create();
    if (!impl_->control) throw cannotCreate(path);
    api->setErrorHandler(impl_->control, showLibraryFailure, const_cast<char*>(api->name));
}

CipherLibrary::~CipherLibrary() = default;

std::string CipherLibrary::toCipher(const std::string& text) {
    return impl_->call(impl_->api->toCipher, text);
}

std::string CipherLibrary::reCipher(const std::string& cipherText) {
    return impl_->call(impl_->api->reCipher, cipherText);
}

std::unique_ptr<CipherService> createCipherControl(const std::string& folder) {
    std::unique_ptr<CipherService> control;
    Trap(kCipherCreateLocation, [&] { control = std::make_unique<CipherLibrary>(folder); });
    if (!control) control = std::make_unique<NoCipher>();
    return control;
}

}  // namespace mk
