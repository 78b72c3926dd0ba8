#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

// A growing array of plain items, copied byte for byte. Memory is asked for
// with std::nothrow, so that a sweep, a render or a save short of memory
// fails like any other step of it instead of ending the program; a refused
// growth leaves the list as it was. Start from a zero-filled list and give
// it back with FreeItems.
template <typename T>
struct ItemList {
    T* items;
    size_t count;
    size_t capacity;
};

// Room for at least `wanted` items in all.
template <typename T>
bool ReserveItems(ItemList<T>& list, size_t wanted)
{
    static_assert(std::is_trivially_copyable<T>::value, "items are copied byte for byte");
    if (wanted <= list.capacity)
        return true;
    size_t capacity = list.capacity > 8 ? list.capacity : 8;
    while (capacity < wanted)
        capacity = capacity > SIZE_MAX / 2 ? wanted : capacity * 2;
    if (capacity > SIZE_MAX / sizeof(T))
        return false;
    T* items = static_cast<T*>(::operator new(capacity * sizeof(T), std::nothrow));
    if (items == nullptr)
        return false;
    if (list.count > 0)
        memcpy(items, list.items, list.count * sizeof(T));
    ::operator delete(list.items);
    list.items = items;
    list.capacity = capacity;
    return true;
}

template <typename T>
bool AppendItems(ItemList<T>& list, const T* items, size_t count)
{
    if (count > SIZE_MAX - list.count || !ReserveItems(list, list.count + count))
        return false;
    if (count > 0)
        memcpy(list.items + list.count, items, count * sizeof(T));
    list.count += count;
    return true;
}

template <typename T>
bool AppendItem(ItemList<T>& list, const T& item)
{
    return AppendItems(list, &item, 1);
}

template <typename T>
void FreeItems(ItemList<T>& list)
{
    ::operator delete(list.items);
    list.items = nullptr;
    list.count = 0;
    list.capacity = 0;
}
