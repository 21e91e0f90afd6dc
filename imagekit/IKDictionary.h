#pragma once
// The kit's registries: name-keyed lists, sorted and compared without regard to case, where
// the first entry of a name wins.

#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

template <class T> class TIKSortedList {
public:
    int Count() const { return int(FItems.size()); }
    const QString& Key(int index) const { return FItems.at(std::size_t(index)).first; }
    const T& Value(int index) const { return FItems.at(std::size_t(index)).second; }
    bool ContainsKey(const QString& key) const { return Find(key) >= 0; }
    // The index of `key`, or -1.
    int Find(const QString& key) const {
        const auto it = LowerBound(key);
        if (it == FItems.end() || it->first.compare(key, Qt::CaseInsensitive) != 0)
            return -1;
        return int(it - FItems.begin());
    }
    QStringList Keys() const {
        QStringList keys;
        for (const auto& item : FItems)
            keys << item.first;
        return keys;
    }

protected:
    // False (nothing added) when the key is present.
    bool Insert(const QString& key, T value) {
        const auto it = LowerBound(key);
        if (it != FItems.end() && it->first.compare(key, Qt::CaseInsensitive) == 0)
            return false;
        FItems.insert(it, {key, std::move(value)});
        return true;
    }
    std::vector<std::pair<QString, T>> FItems;

private:
    auto LowerBound(const QString& key) const {
        return std::lower_bound(FItems.begin(), FItems.end(), key,
                                [](const std::pair<QString, T>& item, const QString& k) {
                                    return item.first.compare(k, Qt::CaseInsensitive) < 0;
                                });
    }
};

// Name to an untyped pointer; owns nothing.
class TIKDictionary : public TIKSortedList<void*> {
public:
    void Add(const QString& key, void* value) { Insert(key, value); }
    // `value` is written only when the key is found.
    bool TryGetValue(const QString& key, void*& value) const {
        const int i = Find(key);
        if (i >= 0)
            value = Value(i);
        return i >= 0;
    }
};

// Name to an object; an owning dictionary frees each object once, when it leaves. An object
// offered under a name already present is not taken over.
template <class T> class TIKObjectDictionary : public TIKSortedList<T*> {
    using Base = TIKSortedList<T*>;

public:
    explicit TIKObjectDictionary(bool owned) : FOwned(owned) {}
    ~TIKObjectDictionary() { Clear(); }
    TIKObjectDictionary(const TIKObjectDictionary&) = delete;
    TIKObjectDictionary& operator=(const TIKObjectDictionary&) = delete;

    bool Owned() const { return FOwned; }
    // True when the object was added (and, when owning, taken over).
    bool Add(const QString& key, T* value) { return Base::Insert(key, value); }
    bool TryGetValue(const QString& key, T*& value) const {
        const int i = Base::Find(key);
        if (i >= 0)
            value = Base::Value(i);
        return i >= 0;
    }
    void Delete(int index) {
        if (index < 0 || index >= Base::Count())
            throw std::out_of_range("List index out of bounds");
        T* value = Base::FItems[std::size_t(index)].second;
        Base::FItems.erase(Base::FItems.begin() + index);
        if (FOwned)
            delete value;
    }
    void Remove(const QString& key) {
        const int i = Base::Find(key);
        if (i >= 0)
            Delete(i);
    }
    void RemoveByValue(const T* value) {
        for (int i = 0; i < Base::Count(); ++i)
            if (Base::Value(i) == value) {
                Delete(i);
                return;
            }
    }
    void Clear() {
        auto items = std::move(Base::FItems);
        Base::FItems.clear();
        if (FOwned)
            for (auto& item : items)
                delete item.second;
    }

private:
    bool FOwned;
};
