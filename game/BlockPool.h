#pragma once
// Fixed-size block pools for the game tree, whose nodes are made and freed in
// the millions when a database is read: a free list per thread makes both a
// pointer swap, where the general allocator's small caches overflow after
// every game.
//
// Blocks are carved from chunks that live until the program ends; a freed
// block goes to the free list of the thread that frees it, and a thread's
// surplus, or all of its list when it ends, goes to a shared store that the
// others refill from. Memory taken for the largest trees alive at once stays
// reserved for the next ones. Under AddressSanitizer the pools step aside, so
// that misuse of a node is still caught.

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>

namespace qm {

namespace pool_detail {
// A chunk of at least `bytes`, kept for the program's lifetime.
void* takeChunk(std::size_t bytes);
} // namespace pool_detail

#if defined(__SANITIZE_ADDRESS__)
#define QM_BLOCK_POOL_ENABLED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_BLOCK_POOL_ENABLED 0
#endif
#endif
#ifndef QM_BLOCK_POOL_ENABLED
#define QM_BLOCK_POOL_ENABLED 1
#endif

template <std::size_t BlockSize>
class CBlockPool {
    static_assert(BlockSize >= 2 * sizeof(void*) && BlockSize % alignof(std::max_align_t) == 0);

public:
    static void* allocate()
    {
#if QM_BLOCK_POOL_ENABLED
        Local& l = local();
        if (!l.head)
            refill(l);
        Block* b = l.head;
        l.head = b->next;
        --l.count;
        return b;
#else
        return ::operator new(BlockSize);
#endif
    }

    static void release(void* p) noexcept
    {
#if QM_BLOCK_POOL_ENABLED
        if (!p)
            return;
        Local& l = local();
        Block* b = static_cast<Block*>(p);
        b->next = l.head;
        l.head = b;
        // A thread that frees what others made (a game read on a worker and
        // dropped by the user-interface thread) hands the surplus on, so
        // that memory stays bounded by the trees alive at once.
        if (++l.count > 2 * BatchSize)
            giveBack(l, BatchSize);
#else
        ::operator delete(p);
#endif
    }

private:
    struct Block {
        Block* next;
        Block* nextChain; // in the first block of a chain handed back
    };
    static constexpr std::size_t BatchSize = 512;

    struct Local {
        Block* head = nullptr;
        std::size_t count = 0;
        ~Local() { giveBack(*this, count); }
    };
    struct Shared {
        std::mutex lock;
        Block* chains = nullptr;
    };

    static Local& local()
    {
        thread_local Local l;
        return l;
    }
    static Shared& shared()
    {
        // Never destroyed: threads hand blocks back until the very end.
        static Shared* s = new Shared;
        return *s;
    }

    // Moves the first n blocks of the thread's list to the shared chains.
    static void giveBack(Local& l, std::size_t n) noexcept
    {
        if (n == 0 || !l.head)
            return;
        Block* first = l.head;
        Block* last = first;
        std::size_t taken = 1;
        for (; taken < n && last->next; ++taken)
            last = last->next;
        l.head = last->next;
        l.count -= taken;
        last->next = nullptr;
        Shared& sh = shared();
        std::lock_guard guard(sh.lock);
        first->nextChain = sh.chains;
        sh.chains = first;
    }

    static void refill(Local& l)
    {
        {
            Shared& sh = shared();
            std::lock_guard guard(sh.lock);
            if (Block* chain = sh.chains) {
                sh.chains = chain->nextChain;
                l.head = chain;
                l.count = 0;
                for (Block* b = chain; b; b = b->next)
                    ++l.count;
                return;
            }
        }
        auto* chunk = static_cast<unsigned char*>(pool_detail::takeChunk(BlockSize * BatchSize));
        for (std::size_t i = BatchSize; i-- > 0;) {
            auto* b = reinterpret_cast<Block*>(chunk + i * BlockSize);
            b->next = l.head;
            l.head = b;
        }
        l.count += BatchSize;
    }
};

// Rounds a size up to the pools' block granularity.
constexpr std::size_t poolBlockSize(std::size_t size)
{
    const std::size_t a = alignof(std::max_align_t);
    return (size + a - 1) / a * a;
}

// An allocator that serves single elements from a pool and larger arrays
// from the general allocator: a node's children are one move far more often
// than not.
template <typename T>
struct CSingleElementPoolAllocator {
    using value_type = T;
    CSingleElementPoolAllocator() noexcept = default;
    template <typename U>
    CSingleElementPoolAllocator(const CSingleElementPoolAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        if (n == 1)
            return static_cast<T*>(CBlockPool<poolBlockSize(sizeof(T))>::allocate());
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n == 1)
            CBlockPool<poolBlockSize(sizeof(T))>::release(p);
        else
            std::allocator<T>().deallocate(p, n);
    }
    template <typename U>
    bool operator==(const CSingleElementPoolAllocator<U>&) const noexcept
    {
        return true;
    }
};

} // namespace qm
