#pragma once
// Writes the large pieces of an output file at the disk's own pace, past the
// page cache: each piece is copied into an aligned buffer (on huge pages where
// the system gives them) and a thread of its own writes the piece's whole
// blocks with O_DIRECT while the next piece is made. The piece's ends that
// share a block with a neighbour (another piece, the header, the tail) go
// through the file's ordinary descriptor. So the output never floods the page
// cache and the disk never waits for the rows.
//
// Where direct writes do not fit (a file system kept in memory such as tmpfs,
// one that refuses O_DIRECT on open or on the first write, a descriptor not
// open for writing) each piece is written through the ordinary descriptor
// at once, its write-back kept to a few pieces and dropped from the cache.

#include "output/writeback_window.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <sys/uio.h>
#include <thread>
#include <vector>

namespace tovrel {

class DirectWriter {
  public:
    // fd: the output file. pieceBytes: the largest piece write() is given.
    DirectWriter(int fd, std::size_t pieceBytes);
    ~DirectWriter();
    DirectWriter(const DirectWriter&) = delete;
    DirectWriter& operator=(const DirectWriter&) = delete;

    // Writes the parts, one after the other, from offset (at most pieceBytes
    // in all). Gives 0 or the errno of the first failed write, this piece's
    // or, with direct writes, that of a piece handed over earlier.
    int write(std::span<const iovec> parts, int64_t offset);
    // Waits until every piece is written; gives 0 or the first errno.
    int finish();

    // Whether pieces still go to the disk directly (for tests and benchmarks).
    bool direct() const;

  private:
    struct Piece {
        unsigned char* buffer; // aligned; the piece starts at offset % kAlign in it
        int64_t offset;
        std::size_t length;
    };
    struct FreeBuffer {
        std::size_t align; // as the buffer was allocated
        void operator()(unsigned char* p) const;
    };

    int writeBuffered(std::span<const iovec> parts, int64_t offset);
    void start();
    void run();
    int writePiece(const Piece& piece);

    int fd_;
    int directFd_ = -1; // -1: every piece is written through fd_
    std::size_t pieceBytes_;
    WritebackWindow writeback_;

    std::vector<std::unique_ptr<unsigned char, FreeBuffer>> buffers_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<unsigned char*> free_;
    std::deque<Piece> queued_;
    bool busy_ = false;     // the thread is writing a piece
    bool stopping_ = false; // the thread is to end
    bool fellBack_ = false; // the file system refused direct writes after all
    int error_ = 0;
    std::thread thread_;
};

} // namespace tovrel
