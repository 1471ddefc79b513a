// Zemb::List<T>: a growable array that grows in steps of 8 slots and checks every index.
// It owns its storage and the item values; for pointer items it does not own the pointees.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

#include "Zemb/Exception.h"

namespace Zemb
{
    template <typename T>
    class List
    {
    public:
        List() : capacity(0), count(0), items(nullptr) {}
        ~List() { Clear(); }

        List(const List&) = delete;
        List& operator=(const List&) = delete;

        void Add(const T& item)
        {
            ++count;
            Grow();
            items[count - 1] = item;
        }

        T& operator[](int index)
        {
            if (index < 0 || index >= count)
                ZEMB_THROW("Index out of bounds");
            return items[index];
        }

        const T& operator[](int index) const
        {
            if (index < 0 || index >= count)
                ZEMB_THROW("Index out of bounds");
            return items[index];
        }

        void Clear()
        {
            delete[] items;
            items = nullptr;
            count = 0;
            capacity = 0;
        }

        int Count() const { return count; }
        int Capacity() const { return capacity; }

    private:
        static constexpr int step = 8;

        void Grow()
        {
            if (count <= capacity)
                return;
            long long wanted = static_cast<long long>(capacity) +
                               step * ((static_cast<long long>(count) - capacity + step - 1) / step);
            // A size the allocator cannot express must fail, never wrap around to a small block.
            if (wanted > std::numeric_limits<int>::max() ||
                static_cast<unsigned long long>(wanted) > std::numeric_limits<std::size_t>::max() / sizeof(T))
            {
                --count;
                throw std::bad_alloc();
            }
            int newCapacity = static_cast<int>(wanted);
            T* grown;
            try
            {
                grown = new T[static_cast<std::size_t>(newCapacity)];
            }
            catch (...)
            {
                --count;
                throw;
            }
            for (int i = 0; i < capacity; ++i)
                grown[i] = items[i];
            delete[] items;
            capacity = newCapacity;
            items = grown;
        }

        int capacity;
        int count;
        T* items;
    };
}
