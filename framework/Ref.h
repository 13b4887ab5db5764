#pragma once

#include <memory>
#include <type_traits>

[[noreturn]] void RaiseNilObject();

// Shared ownership of a framework object. An empty Ref is nil; using it
// raises NilObjectException instead of crashing.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept { }
    explicit Ref(std::shared_ptr<T> object) noexcept : object_(std::move(object)) { }
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref(const Ref<U>& other) noexcept : object_(other.Shared()) { }

    T* operator->() const { return &Get(); }
    T& operator*() const { return Get(); }
    T& Get() const
    {
        if (!object_)
            RaiseNilObject();
        return *object_;
    }

    T* Raw() const noexcept { return object_.get(); }
    bool IsNil() const noexcept { return !object_; }
    explicit operator bool() const noexcept { return bool(object_); }
    void Release() noexcept { object_.reset(); }
    const std::shared_ptr<T>& Shared() const noexcept { return object_; }

    template <class U>
    friend bool operator==(const Ref& a, const Ref<U>& b) noexcept { return a.Raw() == b.Raw(); }
    friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.IsNil(); }

private:
    std::shared_ptr<T> object_;
};

// The object as a T, or nil when it is nil or of another class.
template <class T, class U>
Ref<T> RefCast(const Ref<U>& object) noexcept
{
    return Ref<T>(std::dynamic_pointer_cast<T>(object.Shared()));
}
