#include "discovery/scan_pool.h"

#include <algorithm>

namespace kehrwix {
namespace {

constexpr unsigned kMaxThreads = 8;

}  // namespace

unsigned scan_threads() {
    // The thread that replays the records is busy too, so the readers get the other processors.
    // With two, one reader plus the replay cost more in hand-offs than the second processor
    // gains (measured in docs/performance.md): the scan then runs on one thread.
    return std::clamp(fs::usable_processors(), 2u, kMaxThreads + 1) - 1;
}

ScanPool::ScanPool(const FolderReader& reader, unsigned threads) : reader_(reader) {
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back([this] { work(); });
}

ScanPool::~ScanPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void ScanPool::start(std::string folder) {
    {
        std::lock_guard lock(mutex_);
        Segment& first = segments_.emplace_back();
        first.stack.push_back(Task{std::move(folder), nullptr});
    }
    wake_idle();
}

std::optional<FolderRecord> ScanPool::next() {
    if (taken_.empty() && !take_ready())
        return std::nullopt;
    FolderRecord record = std::move(taken_.front());
    taken_.pop_front();
    return record;
}

// Takes all records the front segment has ready at once, so that the threads reading ahead
// seldom meet this one at the lock. False once the walk has ended.
bool ScanPool::take_ready() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (segments_.empty())
            return false;
        Segment& front = segments_.front();
        if (!front.ready.empty()) {
            const bool was_full = front.ready.size() >= kReadAhead;
            taken_.swap(front.ready);
            if (was_full && idle_ > 0)
                work_ready_.notify_one();
            return true;
        }
        if (front.stack.empty() && !front.running) {
            segments_.pop_front();
            if (idle_ > 0)
                work_ready_.notify_one();
            continue;
        }
        waiting_ = true;
        record_ready_.wait(lock);
        waiting_ = false;
    }
}

void ScanPool::wake_idle() {
    std::lock_guard lock(mutex_);
    if (idle_ > 0)
        work_ready_.notify_one();
}

void ScanPool::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        Segments::iterator segment;
        while (!stopping_ && !take_work(lock, segment)) {
            ++idle_;
            work_ready_.wait(lock);
            --idle_;
        }
        if (stopping_)
            return;
        run(lock, segment);
    }
}

// The work nearest the front of the walk: a segment waiting to go on, or a split of one.
bool ScanPool::take_work(std::unique_lock<std::mutex>&, Segments::iterator& taken) {
    for (auto it = segments_.begin(); it != segments_.end(); ++it) {
        Segment& s = *it;
        if (s.running || s.stack.empty()) {
            if (!s.running || s.stack.size() < 2 || segments_.size() + 2 > kMaxSegments)
                continue;
            // Split a running segment at the next folder of its shallowest level: the stack
            // holds levels deepest on top, so that folder's subtree follows those above it.
            const std::size_t shallowest = folder_depth(s.stack.front().folder);
            std::size_t cut = 0;
            while (cut + 1 < s.stack.size() - 1 &&
                   folder_depth(s.stack[cut + 1].folder) == shallowest)
                ++cut;
            auto after = std::next(it);
            if (cut > 0) {
                Segment& rest = *segments_.emplace(after);
                rest.stack.assign(std::make_move_iterator(s.stack.begin()),
                                  std::make_move_iterator(s.stack.begin() + cut));
                after = std::prev(after);
            }
            auto stolen = segments_.emplace(after);
            stolen->stack.push_back(std::move(s.stack[cut]));
            s.stack.erase(s.stack.begin(), s.stack.begin() + cut + 1);
            taken = stolen;
            return true;
        }
        if (s.ready.size() < kReadAhead) {
            taken = it;
            return true;
        }
        // Its read-ahead is full: the folders it still holds go on in a segment of their own.
        if (segments_.size() + 1 > kMaxSegments)
            continue;
        auto rest = segments_.emplace(std::next(it));
        rest->stack = std::move(s.stack);
        s.stack.clear();
        taken = rest;
        return true;
    }
    return false;
}

// True when the segment being handed out waits for a thread while this one reads ahead.
bool ScanPool::front_waits(const Segment& s) const {
    const Segment& front = segments_.front();
    return &front != &s && !front.running && !front.stack.empty() && front.ready.empty();
}

void ScanPool::run(std::unique_lock<std::mutex>& lock, Segments::iterator segment) {
    Segment& s = *segment;
    s.running = true;
    while (!stopping_ && !s.stack.empty() && s.ready.size() < kReadAhead && !front_waits(s)) {
        Task task = std::move(s.stack.back());
        s.stack.pop_back();
        lock.unlock();

        FolderHandle handle;
        const bool keep = folder_depth(task.folder) < kMaxHeldDepth;
        FolderRecord record =
            reader_.read(std::move(task.folder), task.parent.get(), keep ? &handle : nullptr);
        task.parent.reset();
        std::vector<Task> children;
        for (auto it = record.events.rbegin(); it != record.events.rend(); ++it) {
            if (it->kind == ScanEvent::child || it->kind == ScanEvent::hit_and_child)
                children.push_back(Task{it->path, handle});
        }

        lock.lock();
        s.ready.push_back(std::move(record));
        for (Task& child : children)
            s.stack.push_back(std::move(child));
        if (waiting_ && &s == &segments_.front())
            record_ready_.notify_one();
        if (idle_ > 0 && s.stack.size() >= 2 && segments_.size() + 2 <= kMaxSegments)
            work_ready_.notify_one();
    }
    s.running = false;
    // The reader may be waiting for this segment to end.
    if (waiting_)
        record_ready_.notify_one();
}

}  // namespace kehrwix
