#include "sim/byte_source.h"

#include <algorithm>
#include <cstdio>

namespace vardel {
namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : m_file(file) {}
    ~FileSource() override { std::fclose(m_file); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::optional<size_t> Read(char* buffer, size_t size) override {
        const size_t count = std::fread(buffer, 1, size, m_file);
        // Bytes read before an error are still handed over; the next read
        // reports it.
        if (count == 0 && std::ferror(m_file)) {
            return std::nullopt;
        }
        return count;
    }

private:
    std::FILE* m_file;
};

} // namespace

std::optional<size_t> StringSource::Read(char* buffer, size_t size) {
    const size_t count = std::min({size, m_piece, m_text.size() - m_next});
    m_text.copy(buffer, count, m_next);
    m_next += count;
    return count;
}

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FileSource>(file);
}

} // namespace vardel
