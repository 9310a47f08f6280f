#include "core/memory/FileBytes.h"
#include "core/common/Errors.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define TP_POSIX_FILES 1
#endif

namespace fs = std::filesystem;

namespace tp {

namespace {

const char* kOpenFailed = "Failed to open or create file";
const char* kWriteFailed = "Failed to write file";

fs::path toPath(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::ifstream openForReading(const std::string& path)
{
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in)
        throw FileError(kOpenFailed);
    return in;
}

std::vector<std::uint8_t> readUpTo(std::ifstream& in, std::size_t limit)
{
    std::vector<std::uint8_t> data;
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (end < 0)
        throw FileError(kOpenFailed);
    data.resize(std::min<std::size_t>(static_cast<std::size_t>(end), limit));
    if (!data.empty() && !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size())))
        throw FileError("Read beyond end of file");
    return data;
}

// The file a write should replace: the target of a symbolic link rather
// than the link itself.
fs::path finalTarget(const fs::path& p)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(p, ec)))
        return fs::weakly_canonical(p, ec);
    return p;
}

fs::path temporaryBeside(const fs::path& target)
{
    static std::mt19937_64 rng{std::random_device{}()};
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp";
    name += std::to_string(rng() % 1000000000u);
    return target.parent_path() / name;
}

#ifdef TP_POSIX_FILES
void writeTemporary(const fs::path& tmp, const fs::path& target, std::span<const std::uint8_t> data)
{
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw FileError(kOpenFailed);
    bool ok = true;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(tmp.c_str());
        throw FileError(kWriteFailed);
    }
}
#else
void writeTemporary(const fs::path& tmp, const fs::path& target, std::span<const std::uint8_t> data)
{
    std::error_code ec;
    if (fs::exists(tmp, ec))
        throw FileError(kOpenFailed);
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileError(kOpenFailed);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        fs::remove(tmp, ec);
        throw FileError(kWriteFailed);
    }
    if (fs::exists(target, ec))
        fs::permissions(tmp, fs::status(target, ec).permissions(), ec);
}
#endif

} // namespace

std::vector<std::uint8_t> FileBytes::read(const std::string& path)
{
    auto in = openForReading(path);
    return readUpTo(in, static_cast<std::size_t>(-1));
}

std::vector<std::uint8_t> FileBytes::readPrefix(const std::string& path, std::size_t limit)
{
    auto in = openForReading(path);
    return readUpTo(in, limit);
}

std::vector<std::uint8_t> FileBytes::readAtMost(const std::string& path, std::size_t maxSize)
{
    auto in = openForReading(path);
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    if (end >= 0 && static_cast<std::uint64_t>(end) > maxSize)
        throw FileError(kTooLarge);
    return readUpTo(in, maxSize);
}

void FileBytes::replace(const std::string& path, std::span<const std::uint8_t> data)
{
    const fs::path target = finalTarget(toPath(path));
    std::error_code ec;
    if (fs::is_directory(target, ec))
        throw FileError(kOpenFailed);
    const fs::path tmp = temporaryBeside(target);
    writeTemporary(tmp, target, data); // removes what it created when it fails
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw FileError(kWriteFailed);
    }
}

void FileBytes::replace(const std::string& path, const std::string& text)
{
    replace(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace tp
