#include "night/music_stream.h"

#include <algorithm>

namespace yumo
{

MusicRing::MusicRing(size_t capacity) : blocks_(std::max<size_t>(capacity, 1)) {}

MusicBlock* MusicRing::Free()
{
    const uint64_t written = written_.load(std::memory_order_relaxed);
    if (written - read_.load(std::memory_order_acquire) >= blocks_.size())
    {
        return nullptr;
    }
    return &blocks_[written % blocks_.size()];
}

void MusicRing::Publish() { written_.fetch_add(1, std::memory_order_release); }

const MusicBlock* MusicRing::Front() const
{
    const uint64_t read = read_.load(std::memory_order_relaxed);
    if (written_.load(std::memory_order_acquire) == read)
    {
        return nullptr;
    }
    return &blocks_[read % blocks_.size()];
}

void MusicRing::Pop() { read_.fetch_add(1, std::memory_order_seq_cst); }

size_t MusicRing::Count() const
{
    return static_cast<size_t>(written_.load(std::memory_order_seq_cst) -
                               read_.load(std::memory_order_seq_cst));
}

MusicStream::MusicStream(std::unique_ptr<MusicReader> reader, const MusicLayout& layout,
                         size_t ringBlocks)
    : reader_(std::move(reader)), layout_(layout), ring_(ringBlocks)
{
    worker_ = std::thread([this] { Work(); });
}

MusicStream::~MusicStream()
{
    stop_.store(true, std::memory_order_release);
    WakeWorker();
    worker_.join();
}

void MusicStream::WakeWorker()
{
    workerWake_.fetch_add(1, std::memory_order_acq_rel);
    workerWake_.notify_one(); // a futex wake: no lock, no allocation
}

void MusicStream::Restart(int64_t frame)
{
    ++generation_;
    sequence_ = 0;
    expected_ = frame;
    startFrame_.store(frame, std::memory_order_relaxed);
    startGeneration_.store(generation_, std::memory_order_release);
    WakeWorker();
}

void MusicStream::DropStale()
{
    bool dropped = false;
    for (const MusicBlock* b = ring_.Front();
         b != nullptr && (b->generation != generation_ || b->sequence < sequence_);
         b = ring_.Front())
    {
        ring_.Pop();
        dropped = true;
    }
    if (dropped && workerWaiting_.load(std::memory_order_seq_cst) &&
        ring_.Count() <= ring_.Capacity() / 2)
    {
        WakeWorker();
    }
}

const MusicBlock* MusicStream::Ready() const
{
    const MusicBlock* b = ring_.Front();
    return b != nullptr && b->generation == generation_ && b->sequence == sequence_ ? b : nullptr;
}

const int16_t* MusicStream::Take(int64_t frame)
{
    if (frame != expected_)
    {
        Restart(frame);
    }
    DropStale();
    const MusicBlock* block = Ready();
    ++sequence_;
    expected_ = frame + kFramesPerBlock >= layout_.loopFrames ? 0 : frame + kFramesPerBlock;
    if (block == nullptr)
    {
        ++dryBlocks_;
        drySpells_ += dry_ ? 0 : 1;
        dry_ = true;
        return nullptr;
    }
    dry_ = false;
    return block->samples.data();
}

void MusicStream::Await(int64_t frame)
{
    if (frame != expected_)
    {
        Restart(frame);
    }
    for (;;)
    {
        DropStale();
        if (Ready() != nullptr || Failed())
        {
            return;
        }
        const uint32_t seen = published_.load(std::memory_order_acquire);
        consumerWaiting_.store(true, std::memory_order_seq_cst);
        if (Ready() == nullptr && !Failed())
        {
            published_.wait(seen, std::memory_order_acquire);
        }
        consumerWaiting_.store(false, std::memory_order_relaxed);
    }
}

// 512 frames from `position` of the loop: the reader's while it has them, silence after.
bool MusicStream::Produce(MusicBlock& block, int64_t& position, bool& sourceDone)
{
    const auto channels = static_cast<size_t>(layout_.channels);
    size_t filled = 0;
    while (!sourceDone && filled < kFramesPerBlock)
    {
        const int64_t got =
            reader_->Read(block.samples.data() + filled * channels, kFramesPerBlock - filled);
        if (got < 0)
        {
            return false;
        }
        sourceDone = got == 0;
        filled += static_cast<size_t>(got);
    }
    std::fill(block.samples.begin() + static_cast<ptrdiff_t>(filled * channels),
              block.samples.end(), 0);
    position += kFramesPerBlock;
    if (position >= layout_.loopFrames)
    {
        position = 0;
        sourceDone = false;
        return reader_->Rewind();
    }
    return true;
}

void MusicStream::Work()
{
    uint32_t generation = 0;
    uint64_t sequence = 0;
    int64_t position = 0;
    bool sourceDone = false;
    MusicBlock skipped;
    while (!stop_.load(std::memory_order_acquire))
    {
        const uint32_t wake = workerWake_.load(std::memory_order_acquire);
        const uint32_t wanted = startGeneration_.load(std::memory_order_acquire);
        if (wanted != generation)
        {
            // Started over: from the loop's first frame, on to the one asked for.
            generation = wanted;
            sequence = 0;
            const int64_t target = std::clamp<int64_t>(startFrame_.load(std::memory_order_relaxed),
                                                       0, layout_.loopFrames - 1);
            position = 0;
            sourceDone = false;
            bool ok = reader_->Rewind();
            while (ok && position + kFramesPerBlock <= target)
            {
                ok = Produce(skipped, position, sourceDone);
            }
            if (!ok)
            {
                failed_.store(true, std::memory_order_release);
                break;
            }
            continue;
        }
        MusicBlock* block = ring_.Free();
        if (block == nullptr)
        {
            workerWaiting_.store(true, std::memory_order_seq_cst);
            if (ring_.Count() > ring_.Capacity() / 2)
            {
                workerWake_.wait(wake, std::memory_order_acquire);
            }
            workerWaiting_.store(false, std::memory_order_relaxed);
            continue;
        }
        block->generation = generation;
        block->sequence = sequence;
        if (!Produce(*block, position, sourceDone))
        {
            failed_.store(true, std::memory_order_release);
            break;
        }
        ++sequence;
        ring_.Publish();
        published_.fetch_add(1, std::memory_order_acq_rel);
        if (consumerWaiting_.load(std::memory_order_seq_cst))
        {
            published_.notify_one();
        }
    }
    published_.fetch_add(1, std::memory_order_acq_rel);
    published_.notify_all();
}

} // namespace yumo
