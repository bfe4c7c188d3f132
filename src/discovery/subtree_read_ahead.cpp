#include "discovery/subtree_read_ahead.h"

#include <algorithm>
#include <utility>

#include "discovery/held_folders.h"

namespace kehrwix {

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

std::optional<FolderRecord> SubtreeReadAhead::take(const std::string& folder) {
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
    if (batch_.front().folder != folder) {
        out_of_step_ = true;
        return std::nullopt;
    }
    FolderRecord record = std::move(batch_.front());
    batch_.pop_front();
    if (batch_.empty() && !refill())
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
            batch_.swap(current_->ready);
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
        walk(*claim, pending);
        lock.lock();
        claim->ended = true;
    }
}

// The scan's own walk of the subtree: each folder, then its children in listing order.
void SubtreeReadAhead::walk(Claim& claim, std::vector<std::string>& pending) {
    HeldFolders held(reader_);
    std::string root = claim.root;
    std::string parent = root.substr(0, root.rfind('\\', root.size() - 2) + 1);
    held.start_below(std::move(parent), std::move(claim.parent));
    pending.clear();
    pending.push_back(std::move(root));
    std::size_t read = 0;
    while (!pending.empty() && read++ < kClaimRecords &&
           !claim.cut.load(std::memory_order_relaxed)) {
        FolderRecord record = held.read(std::move(pending.back()));
        pending.pop_back();
        for (auto it = record.events.rbegin(); it != record.events.rend(); ++it) {
            if (it->kind == ScanEvent::child || it->kind == ScanEvent::hit_and_child)
                pending.push_back(it->path);
        }
        std::unique_lock lock(mutex_);
        const auto go_on = [&] { return stopping_ || claim.ended || buffered_ < kReadAhead; };
        if (!go_on()) {
            helper_waits_for_room_ = true;
            room_ready_.wait(lock, go_on);
            helper_waits_for_room_ = false;
        }
        if (stopping_ || claim.ended)
            return;
        claim.ready.push_back(std::move(record));
        ++buffered_;
    }
}

}  // namespace kehrwix
