#pragma once
// A second thread that reads whole subtrees ahead of the scan's own walk, each into a buffer of
// its own. The scan offers it folders still pending (claims); the helper walks a claim depth
// first, as the scan would, and the scan replays the records when it reaches the claim. When
// the scan catches up with a claim the helper is still reading, the claim ends there: the scan
// reads the rest of that subtree itself and the helper goes on to the next claim. So the two
// threads meet once per subtree, not once per folder, and the scan never waits for the helper.
// The records are kept compact, one byte buffer per claim holding each subfolder's name rather
// than its path, and what is buffered over all claims is bounded, so memory stays flat.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "discovery/folder_record.h"

namespace kehrwix {

class SubtreeReadAhead {
  public:
    explicit SubtreeReadAhead(const FolderReader& reader);
    ~SubtreeReadAhead();  // stops the helper; records not taken are dropped
    SubtreeReadAhead(const SubtreeReadAhead&) = delete;
    SubtreeReadAhead& operator=(const SubtreeReadAhead&) = delete;

    // All of the following are for the scanning thread only.

    // The record of `folder`, the folder the walk lists next, when the helper has read it;
    // `folder` is moved into it then.
    std::optional<FolderRecord> take(std::string& folder);
    // True when a record came out of step with the walk (never expected): drop the helper.
    bool out_of_step() const { return out_of_step_; }
    // True when the helper could take another claim. Never while a claim is replayed: the
    // folders it leaves pending may be read already.
    bool wants_claim() const;
    // Whether `folder` is claimed and not yet reached.
    bool claimed(const std::string& folder) const;
    // Has the helper read `folder`'s subtree; `parent` is the handle of the folder holding it,
    // when held.
    void claim(std::string folder, FolderHandle parent);

  private:
    struct Claim {
        std::string root;
        FolderHandle parent;
        // Apart from root, which the scan compares often.
        alignas(64) std::string ready;  // records encoded; guarded by mutex_
        std::size_t records = 0;        // read into it so far; the helper's own
        bool ended = false;             // the helper adds no more; guarded by mutex_
        std::atomic<bool> cut{false};   // the scan reached it first
    };

    void work();
    void walk(Claim& claim, const FolderReader& reader, std::vector<std::string>& pending);
    bool refill();

    // Bytes buffered over all claims: some 33,000 records (a few bytes each, and their
    // subfolders' names), so the helper hardly ever waits for the scan to catch up.
    static constexpr std::size_t kReadAhead = 512 * 1024;
    static constexpr std::size_t kMaxClaims = 64;
    // A claim larger than this is left to the scan after its first records: the helper moves
    // on to a claim the scan reaches sooner rather than read far ahead of it.
    static constexpr std::size_t kClaimRecords = 2048;
    static constexpr std::size_t kQueued = 2;  // claims the helper may find waiting

    const FolderReader& reader_;
    // What both threads change, apart from what only the scanning thread does: one cache line
    // written by both would be fetched back and forth for every folder.
    alignas(64) std::mutex mutex_;
    std::condition_variable claim_ready_;
    std::condition_variable room_ready_;
    std::deque<std::shared_ptr<Claim>> queue_;  // not yet started by the helper
    std::size_t buffered_ = 0;
    bool helper_waits_for_room_ = false;
    bool stopping_ = false;
    std::atomic<std::size_t> queued_{0};

    // The scanning thread's own.
    alignas(64) std::vector<std::shared_ptr<Claim>> claims_;  // offered and not yet reached
    std::shared_ptr<Claim> current_;                          // reached and being replayed
    std::string batch_;                                       // taken from current_ in one go
    std::size_t batch_at_ = 0;                                // the next record in it
    bool out_of_step_ = false;

    alignas(64) std::thread helper_;  // last: starts once the rest is set up
};

}  // namespace kehrwix
