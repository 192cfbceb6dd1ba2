#include "tools/patch_builder/Bzip2File.h"

#include <bzlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

class ScopedFile {
public:
    explicit ScopedFile(FILE* file) : file_(file) {}
    ~ScopedFile()
    {
        if (file_)
            fclose(file_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    FILE* get() const { return file_; }
    // Closes now and reports whether everything written reached the file.
    int Close()
    {
        int ok = fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

private:
    FILE* file_;
};

// Runs the decoder over `from`; writes the output to `to` and hashes it into `hasher`
// when they are not null.
int Expand(const std::string& from, FILE* to, Sha256Hasher* hasher, std::string& problem)
{
    ScopedFile in(fopen(from.c_str(), "rb"));
    if (!in.get()) {
        problem = std::string("cannot read: ") + strerror(errno);
        return 0;
    }
    bz_stream stream;
    memset(&stream, 0, sizeof(stream));
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) {
        problem = "the bzip2 decoder cannot start";
        return 0;
    }
    std::vector<char> input(1 << 16), output(1 << 17);
    bool ended = false;
    int ok = 1;
    while (ok) {
        size_t got = fread(input.data(), 1, input.size(), in.get());
        if (got == 0) {
            if (ferror(in.get())) {
                problem = "read error";
                ok = 0;
            }
            break;
        }
        if (ended) {
            problem = "bytes follow the end of the bzip2 stream";
            ok = 0;
            break;
        }
        stream.next_in = input.data();
        stream.avail_in = static_cast<unsigned>(got);
        // Drain the decoder: a small input block can expand to many output blocks,
        // and the decoder may hold output after it has taken all the input.
        for (;;) {
            stream.next_out = output.data();
            stream.avail_out = static_cast<unsigned>(output.size());
            int result = BZ2_bzDecompress(&stream);
            if (result != BZ_OK && result != BZ_STREAM_END) {
                problem = "not a valid bzip2 stream (decoder error " + std::to_string(result) + ")";
                ok = 0;
                break;
            }
            size_t produced = output.size() - stream.avail_out;
            if (to && produced > 0 && fwrite(output.data(), 1, produced, to) != produced) {
                problem = "cannot write the expanded file";
                ok = 0;
                break;
            }
            if (hasher)
                hasher->Update(output.data(), produced);
            if (result == BZ_STREAM_END) {
                ended = true;
                if (stream.avail_in > 0) {
                    problem = "bytes follow the end of the bzip2 stream";
                    ok = 0;
                }
                break;
            }
            if (stream.avail_in == 0 && stream.avail_out > 0)
                break;   // everything decoded that this input allows
        }
    }
    BZ2_bzDecompressEnd(&stream);
    if (ok && !ended) {
        problem = "the bzip2 stream is cut short";
        ok = 0;
    }
    return ok;
}

} // namespace

int CompressFile(const std::string& from, const std::string& to, std::string& error)
{
    ScopedFile in(fopen(from.c_str(), "rb"));
    if (!in.get()) {
        error = "cannot read " + from + ": " + strerror(errno);
        return 0;
    }
    ScopedFile out(fopen(to.c_str(), "wbx"));
    if (!out.get()) {
        error = "cannot create " + to + ": " + strerror(errno);
        return 0;
    }
    bz_stream stream;
    memset(&stream, 0, sizeof(stream));
    if (BZ2_bzCompressInit(&stream, 9, 0, 0) != BZ_OK) {
        error = "the bzip2 encoder cannot start";
        return 0;
    }
    std::vector<char> input(1 << 16), output(1 << 17);
    int ok = 1;
    bool finished = false;
    while (ok && !finished) {
        size_t got = fread(input.data(), 1, input.size(), in.get());
        if (ferror(in.get())) {
            error = "cannot read " + from;
            ok = 0;
            break;
        }
        int action = (got == 0) ? BZ_FINISH : BZ_RUN;
        stream.next_in = input.data();
        stream.avail_in = static_cast<unsigned>(got);
        do {
            stream.next_out = output.data();
            stream.avail_out = static_cast<unsigned>(output.size());
            int result = BZ2_bzCompress(&stream, action);
            if (result < 0) {
                error = "bzip2 encoder error " + std::to_string(result) + " on " + from;
                ok = 0;
                break;
            }
            size_t produced = output.size() - stream.avail_out;
            if (produced > 0 && fwrite(output.data(), 1, produced, out.get()) != produced) {
                error = "cannot write " + to;
                ok = 0;
                break;
            }
            if (result == BZ_STREAM_END)
                finished = true;
        } while (action == BZ_FINISH ? !finished : stream.avail_in > 0);
    }
    BZ2_bzCompressEnd(&stream);
    if (ok && (fflush(out.get()) != 0 || fsync(fileno(out.get())) != 0 || !out.Close())) {
        error = "cannot write " + to + ": " + strerror(errno);
        ok = 0;
    }
    return ok;
}

int CheckCompressedFile(const std::string& path, std::string& problem)
{
    return Expand(path, nullptr, nullptr, problem);
}

int DecompressFile(const std::string& from, const std::string& to, std::string& problem)
{
    ScopedFile out(fopen(to.c_str(), "wb"));
    if (!out.get()) {
        problem = "cannot create " + to + ": " + strerror(errno);
        return 0;
    }
    int ok = Expand(from, out.get(), nullptr, problem);
    if (!out.Close() && ok) {
        problem = "cannot write " + to;
        ok = 0;
    }
    return ok;
}

int HashExpandedFile(const std::string& path, Sha256Digest& digest, uint64_t& size,
                     std::string& problem)
{
    Sha256Hasher hasher;
    if (!Expand(path, nullptr, &hasher, problem))
        return 0;
    size = hasher.size();
    digest = hasher.Finish();
    return 1;
}
