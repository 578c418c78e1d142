#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vardel {

// Where the bytes of a firmware file come from: the file itself in the
// library, a text in the tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`: how many, 0 at the end of the data,
    // nothing when they cannot be read.
    virtual std::optional<size_t> Read(char* buffer, size_t size) = 0;
};

// The bytes of a text, `piece` at most at a time, so that a test can see a
// line cross the ends of what one read gives.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string text, size_t piece = SIZE_MAX)
        : m_text(std::move(text)), m_piece(piece) {}
    std::optional<size_t> Read(char* buffer, size_t size) override;

private:
    std::string m_text;
    size_t m_piece;
    size_t m_next = 0;
};

// The file's bytes as they are; nullptr when it cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);

} // namespace vardel
