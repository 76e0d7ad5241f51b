#pragma once
// Background music played from its file. A worker thread decodes and resamples a few seconds
// ahead into a ring of whole blocks that only it writes and only the block refill reads: the
// refill takes a block without a lock, an allocation or a wait, and when the worker has fallen
// behind it gets none (the night mixes silence there).

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "common/constants.h"
#include "import/music_reader.h"

namespace yumo
{

// About three seconds of music ahead of the refill.
constexpr size_t kMusicRingBlocks = 256;

struct MusicBlock
{
    uint32_t generation = 0;                            // the start it was made for
    uint64_t sequence = 0;                              // blocks made since that start
    std::array<int16_t, kFramesPerBlock * 2> samples{}; // packed frames, mono or stereo
};

// Single producer, single consumer: each side moves only its own counter.
class MusicRing
{
public:
    explicit MusicRing(size_t capacity);
    // Producer: the next free block, or null while the ring is full; Publish hands it over.
    MusicBlock* Free();
    void Publish();
    // Consumer: the oldest block, or null while the ring is empty; Pop gives it back.
    const MusicBlock* Front() const;
    void Pop();
    size_t Count() const;
    size_t Capacity() const { return blocks_.size(); }

private:
    std::vector<MusicBlock> blocks_;
    alignas(64) std::atomic<uint64_t> written_{0};
    alignas(64) std::atomic<uint64_t> read_{0};
};

class MusicStream
{
public:
    // Starts the worker at the loop's first frame.
    MusicStream(std::unique_ptr<MusicReader> reader, const MusicLayout& layout,
                size_t ringBlocks = kMusicRingBlocks);
    ~MusicStream();
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    const MusicLayout& Layout() const { return layout_; }

    // The refill's side. The packed frames of the block that starts at `frame` of the loop, or
    // null when the worker has not made it yet (or the file can no longer be read). A frame
    // other than the one after the last block taken starts the worker over from there. The
    // frames stay valid until the next call.
    const int16_t* Take(int64_t frame);
    // Blocks Take found no music for, and dry spells (runs of them) begun.
    uint64_t DryBlocks() const { return dryBlocks_; }
    uint64_t DrySpells() const { return drySpells_; }
    // The worker could not read the file any more: nothing more will come.
    bool Failed() const { return failed_.load(std::memory_order_acquire); }

    // For a device without a clock, outside the refill: waits until Take(frame) will find its
    // block, or the music has failed.
    void Await(int64_t frame);

private:
    void Restart(int64_t frame);
    void DropStale();
    const MusicBlock* Ready() const;
    void Work();
    bool Produce(MusicBlock& block, int64_t& position, bool& sourceDone);
    void WakeWorker();

    std::unique_ptr<MusicReader> reader_;
    MusicLayout layout_;
    MusicRing ring_;
    // The consumer's view: where the next block is expected and which of the worker's it is.
    int64_t expected_ = 0;
    uint64_t sequence_ = 0;
    uint32_t generation_ = 0;
    uint64_t dryBlocks_ = 0;
    uint64_t drySpells_ = 0;
    bool dry_ = false;
    // Handed from the consumer to the worker: the start (frame, then generation, released).
    std::atomic<int64_t> startFrame_{0};
    std::atomic<uint32_t> startGeneration_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> workerWaiting_{false};
    std::atomic<bool> consumerWaiting_{false};
    std::atomic<uint32_t> workerWake_{0};
    std::atomic<uint32_t> published_{0};
    std::thread worker_;
};

} // namespace yumo
