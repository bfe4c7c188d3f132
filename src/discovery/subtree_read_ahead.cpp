#include "discovery/subtree_read_ahead.h"

#include <algorithm>
#include <utility>

#include "discovery/held_folders.h"

namespace kehrwix {
namespace {

// A record as the helper buffers it: the folder's path length (a check that the walks agree),
// state, entry count and events, each subfolder by its name; numbers seven bits a byte.
void put_number(std::string& out, std::size_t n) {
    for (; n >= 0x80; n >>= 7)
        out += static_cast<char>(n | 0x80);
    out += static_cast<char>(n);
}

std::uint32_t get_number(const char*& at) {
    std::uint32_t n = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        n |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
        if (byte < 0x80)
            return n;
    }
}

void encode(const FolderRecord& record, std::string& out) {
    put_number(out, record.folder.size());
    out += static_cast<char>(record.state);
    put_number(out, record.entries);
    put_number(out, record.events.size());
    for (const ScanEvent& event : record.events) {
        out += static_cast<char>(event.kind);
        put_number(out, event.at);
        // A path is the folder's, the name and "\"; a bad name has none.
        const std::size_t name =
            event.path.empty() ? 0 : event.path.size() - record.folder.size() - 1;
        put_number(out, name);
        if (name != 0)
            out.append(event.path, record.folder.size(), name);
    }
}

// Decodes the record at `at` into `record`, whose folder is set; false when its folder is not
// the one the walk expects.
bool decode(const char*& at, FolderRecord& record) {
    if (get_number(at) != record.folder.size())
        return false;
    record.state = static_cast<FolderState>(*at++);
    record.entries = get_number(at);
    record.events.resize(get_number(at));
    for (ScanEvent& event : record.events) {
        event.kind = static_cast<ScanEvent::Kind>(*at++);
        event.at = get_number(at);
        const std::uint32_t name = get_number(at);
        if (name == 0 && event.kind == ScanEvent::bad_name)
            continue;
        event.path.reserve(record.folder.size() + name + 1);
        event.path = record.folder;
        event.path.append(at, name);
        event.path += '\\';
        at += name;
    }
    return true;
}

}  // namespace

SubtreeReadAhead::SubtreeReadAhead(const FolderReader& reader)
    : reader_(reader), helper_([this] { work(); }) {}

SubtreeReadAhead::~SubtreeReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    claim_ready_.notify_all();
    room_ready_.notify_all();
    helper_.join();
}

bool SubtreeReadAhead::wants_claim() const {
    return !current_ && queued_.load(std::memory_order_relaxed) < kQueued &&
           claims_.size() < kMaxClaims;
}

bool SubtreeReadAhead::claimed(const std::string& folder) const {
    return std::any_of(claims_.begin(), claims_.end(),
                       [&](const auto& c) { return c->root == folder; });
}

void SubtreeReadAhead::claim(std::string folder, FolderHandle parent) {
    auto claim = std::make_shared<Claim>();
    claim->root = std::move(folder);
    claim->parent = std::move(parent);
    claims_.push_back(claim);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(claim));
        queued_.store(queue_.size(), std::memory_order_relaxed);
    }
    claim_ready_.notify_one();
}

std::optional<FolderRecord> SubtreeReadAhead::take(std::string& folder) {
    if (!current_) {
        const auto it = std::find_if(claims_.begin(), claims_.end(),
                                     [&](const auto& c) { return c->root == folder; });
        if (it == claims_.end())
            return std::nullopt;
        current_ = std::move(*it);
        claims_.erase(it);
        if (!refill()) {
            current_.reset();
            return std::nullopt;
        }
    }
    FolderRecord record;
    record.folder = std::move(folder);
    const char* at = batch_.data() + batch_at_;
    if (!decode(at, record)) {
        folder = std::move(record.folder);
        out_of_step_ = true;
        return std::nullopt;
    }
    batch_at_ = static_cast<std::size_t>(at - batch_.data());
    if (batch_at_ == batch_.size() && !refill())
        current_.reset();
    return record;
}

// Takes all the current claim's records at once. With none ready the claim is cut: whatever
// the helper reads of it from now on is dropped, and the scan reads it itself.
bool SubtreeReadAhead::refill() {
    bool taken = false;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (current_->ready.empty()) {
            current_->ended = true;
            current_->cut.store(true, std::memory_order_relaxed);
            std::erase(queue_, current_);  // reached before the helper came to it
            queued_.store(queue_.size(), std::memory_order_relaxed);
        } else {
            batch_.clear();
            batch_.swap(current_->ready);
            batch_at_ = 0;
            buffered_ -= batch_.size();
            taken = true;
        }
        wake = helper_waits_for_room_;
    }
    if (wake)
        room_ready_.notify_one();
    return taken;
}

void SubtreeReadAhead::work() {
    // The helper's own copy, on its own stack: no cache line it reads for every folder is one
    // the scanning thread writes to.
    const FolderReader reader = reader_;
    std::vector<std::string> pending;
    std::unique_lock lock(mutex_);
    for (;;) {
        claim_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        const std::shared_ptr<Claim> claim = std::move(queue_.front());
        queue_.pop_front();
        queued_.store(queue_.size(), std::memory_order_relaxed);
        if (claim->ended)
            continue;  // reached before it was started
        lock.unlock();
        walk(*claim, reader, pending);
        lock.lock();
        claim->ended = true;
    }
}

// The scan's own walk of the subtree: each folder, then its children in listing order.
void SubtreeReadAhead::walk(Claim& claim, const FolderReader& reader,
                            std::vector<std::string>& pending) {
    HeldFolders held(reader);
    std::string root = claim.root;
    std::string parent = root.substr(0, root.rfind('\\', root.size() - 2) + 1);
    held.start_below(std::move(parent), std::move(claim.parent));
    pending.clear();
    pending.push_back(std::move(root));
    std::string encoded;
    while (!pending.empty() && claim.records < kClaimRecords &&
           !claim.cut.load(std::memory_order_relaxed)) {
        FolderRecord record = held.read(std::move(pending.back()));
        pending.pop_back();
        for (auto it = record.events.rbegin(); it != record.events.rend(); ++it) {
            if (it->kind == ScanEvent::child || it->kind == ScanEvent::hit_and_child)
                pending.push_back(it->path);
        }
        encoded.clear();
        encode(record, encoded);
        std::unique_lock lock(mutex_);
        const auto go_on = [&] { return stopping_ || claim.ended || buffered_ < kReadAhead; };
        if (!go_on()) {
            helper_waits_for_room_ = true;
            room_ready_.wait(lock, go_on);
            helper_waits_for_room_ = false;
        }
        if (stopping_ || claim.ended)
            return;
        claim.ready += encoded;
        ++claim.records;
        buffered_ += encoded.size();
    }
}

}  // namespace kehrwix
