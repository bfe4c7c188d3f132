#pragma once
// Reads a subtree's folders on several threads and hands their records out in exactly the
// order one thread walking depth first would produce them.
//
// The walk is cut into segments, kept in that order. Each segment is a depth-first walk of its
// own stack of folders, with a short queue of records read ahead. An idle thread takes the
// segment nearest the front that has work; failing that it splits a running segment: it takes
// the next folder on the shallowest level of that segment's stack (whose subtree comes right
// after the folders above it) into a new segment, and the folders below it into another, both
// placed right behind. Queues and segment count are bounded, so memory stays flat however
// large the tree is.

#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "discovery/folder_record.h"

namespace kehrwix {

class ScanPool {
  public:
    ScanPool(const FolderReader& reader, unsigned threads);
    ~ScanPool();  // stops the threads; records not taken are dropped
    ScanPool(const ScanPool&) = delete;
    ScanPool& operator=(const ScanPool&) = delete;

    // Begins the walk of `folder`'s subtree; the previous walk must have ended.
    void start(std::string folder);
    // The next record of the walk; nullopt once the walk has ended.
    std::optional<FolderRecord> next();

  private:
    struct Task {
        std::string folder;
        FolderHandle parent;  // the handle of the folder holding it, when kept
    };
    struct Segment {
        std::vector<Task> stack;  // back() is listed next
        std::list<FolderRecord> ready;
        bool running = false;
    };
    using Segments = std::list<Segment>;

    bool take_ready();
    void work();
    bool take_work(std::unique_lock<std::mutex>& lock, Segments::iterator& taken);
    void run(std::unique_lock<std::mutex>& lock, Segments::iterator segment);
    bool front_waits(const Segment& s) const;
    void wake_idle();

    static constexpr std::size_t kReadAhead = 256;   // records per segment
    static constexpr std::size_t kMaxSegments = 48;  // bounds memory with kReadAhead

    const FolderReader& reader_;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable record_ready_;
    Segments segments_;              // in walk order; the front one is being handed out
    std::list<FolderRecord> taken_;  // handed out next, without the lock
    unsigned idle_ = 0;
    bool waiting_ = false;  // next() waits for the front segment
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// Reading threads for a scan: the usable processors but one, at most 8; 1 means no pool.
unsigned scan_threads();

}  // namespace kehrwix
