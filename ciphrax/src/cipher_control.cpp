#include "ciphrax/cipher_control.h"

#include <chrono>
#include <mutex>
#include <new>
#include <random>

#include "cipher_format.h"
#include "codec/cp932.h"

namespace ciphrax {

const char* const CipherControl::kName = "Ciphrax";

namespace {

// Tells the handler about a failure. Nothing may leave the library, not
// even an exception thrown by the handler itself.
void report(const CipherControl::ErrorHandler& handler, const char* description) {
    if (!handler) return;
    try {
        handler(description);
    } catch (...) {
    }
}

}  // namespace

struct CipherControl::Impl {
    ErrorHandler handler;
    RandomSource source;
    std::mutex mutex;  // guards the default generator
    std::mt19937 engine;

    Impl() {
        std::random_device device;
        const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        std::seed_seq seed{device(), device(), static_cast<uint32_t>(now),
                           static_cast<uint32_t>(static_cast<uint64_t>(now) >> 32)};
        engine.seed(seed);
    }

    uint32_t draw() {
        if (source) return source();
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<uint32_t>(engine());
    }

    // Sixteen random bits, the first one most significant.
    uint16_t drawKey() {
        uint16_t key = 0;
        for (int i = 0; i < 16; ++i) key = static_cast<uint16_t>((key << 1) | (draw() >> 31));
        return key;
    }

    // A chunk length uniform over 4..9, drawn again until it differs from the
    // previous one. A source stuck on one value must not hang the cipher:
    // after many equal draws the next length up is taken.
    int drawLength(int previous) {
        auto one = [this] { return 4 + static_cast<int>((static_cast<uint64_t>(draw()) * 6) >> 32); };
        int length = one();
        for (int tries = 0; length == previous && tries < 64; ++tries) length = one();
        if (length == previous) length = previous == 9 ? 4 : previous + 1;
        return length;
    }
};

CipherControl::CipherControl() : impl_(new Impl) {}

CipherControl::~CipherControl() { delete impl_; }

void CipherControl::setErrorHandler(ErrorHandler handler) { impl_->handler = std::move(handler); }

void CipherControl::setRandomSource(RandomSource source) { impl_->source = std::move(source); }

std::string CipherControl::toCipher(const std::string& text) const {
    try {
        // A character takes at most four UTF-8 bytes, so a longer text has
        // more than the limit and needs no counting.
        if (text.empty() || text.size() > 4 * format::kMaxCharacters) return {};
        const std::vector<uint16_t> codes = mk::cp932::codes(text);
        if (codes.empty() || codes.size() > format::kMaxCharacters) return {};

        const uint16_t key = impl_->drawKey();
        const std::string run = format::runText(format::bitText(codes, key));
        return format::chunk(run, [this](int previous) { return impl_->drawLength(previous); });
    } catch (const std::bad_alloc&) {
        report(impl_->handler, format::kOutOfMemory);
    } catch (const std::exception& e) {
        report(impl_->handler, e.what());
    } catch (...) {
        report(impl_->handler, format::kInvalidCall);
    }
    return {};
}

std::string CipherControl::reCipher(const std::string& cipherText) const {
    std::string text;  // the characters decoded so far
    try {
        if (cipherText.empty()) return {};
        thread_local std::vector<uint16_t> codes;  // kept from call to call
        format::codesOfCipher(cipherText, codes);
        return mk::cp932::fromCodes(codes);
    } catch (const std::bad_alloc&) {
        report(impl_->handler, format::kOutOfMemory);
    } catch (const std::exception& e) {
        report(impl_->handler, e.what());
    } catch (...) {
        report(impl_->handler, format::kInvalidCall);
    }
    return text;
}

namespace detail {

std::string base93Numeral(uint64_t value) {
    try {
        return format::numeral(value);
    } catch (...) {
        return {};
    }
}

std::string runTextOfBits(const std::string& bits) {
    try {
        std::string clean;
        for (char c : bits)
            if (c == '0' || c == '1') clean.push_back(c);
        return format::runText(clean);
    } catch (...) {
        return {};
    }
}

std::string chunkRunText(const std::string& runText, const std::vector<int>& chunkLengths) {
    try {
        std::size_t next = 0;
        return format::chunk(runText, [&](int previous) {
            while (next < chunkLengths.size()) {
                const int length = chunkLengths[next++];
                if (length != previous) return length;
            }
            return previous == 4 ? 5 : 4;
        });
    } catch (...) {
        return {};
    }
}

std::string bitTextOfCipher(const std::string& cipherText) {
    try {
        return format::bitsOfRunText(format::runTextOfCipher(cipherText));
    } catch (...) {
        return {};
    }
}

}  // namespace detail

}  // namespace ciphrax
