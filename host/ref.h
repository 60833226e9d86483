#pragma once

// Ref<T>: the owner of one counted reference to a COM-style object (anything with
// AddRef() and Release(), seam objects and real COM interfaces alike).

#include <concepts>
#include <cstddef>
#include <utility>

namespace tarvex::host {

/// Holds one reference to a counted object and releases it when replaced or destroyed.
/// Assignment adds the new reference before releasing the old one, so assigning an
/// object to itself, or an object that the old one owns, is safe.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}

    /// Shares `object`: adds a reference of its own.
    explicit Ref(T* object) noexcept
        : m_object(object) {
        if (m_object)
            m_object->AddRef();
    }

    /// Takes over a reference that the caller already owns (an out-parameter's result).
    [[nodiscard]] static Ref Adopt(T* object) noexcept {
        Ref ref;
        ref.m_object = object;
        return ref;
    }

    Ref(const Ref& other) noexcept
        : Ref(other.m_object) {}
    Ref(Ref&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr)) {}

    template <class U>
    requires std::convertible_to<U*, T*> Ref(const Ref<U>& other)
    noexcept
        : Ref(static_cast<T*>(other.Get())) {}

    template <class U>
    requires std::convertible_to<U*, T*> Ref(Ref<U>&& other)
    noexcept
        : m_object(other.Detach()) {}

    ~Ref() { Reset(); }

    Ref& operator=(const Ref& other) noexcept {
        Reset(other.m_object);
        return *this;
    }

    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(m_object, std::exchange(other.m_object, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }

    Ref& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }

    T* Get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    T& operator*() const noexcept { return *m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

    /// Releases the held reference, if any.
    void Reset() noexcept {
        if (T* old = std::exchange(m_object, nullptr))
            old->Release();
    }

    /// Holds `object` instead (adding a reference to it first).
    void Reset(T* object) noexcept {
        if (object)
            object->AddRef();
        T* old = std::exchange(m_object, object);
        if (old)
            old->Release();
    }

    /// Gives the reference to the caller, who must release it.
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_object, nullptr); }

    /// Releases the held reference and returns the slot for an out-parameter.
    T** Put() noexcept {
        Reset();
        return &m_object;
    }

    /// As Put(), for QueryInterface-style `void**` out-parameters.
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.m_object == b.m_object; }
    friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.m_object == nullptr; }

private:
    T* m_object = nullptr;
};

} // namespace tarvex::host
