#pragma once
// The IUnknown part that every automation object shares: a reference count, QueryInterface for the interfaces
// the object answers to, deletion at the last Release, and a count of the object as live while it exists.

#include <atomic>
#include <cstdint>

#include "automation/com_abi.h"
#include "automation/guid.h"
#include "automation/server_lifetime.h"

namespace tarvenish {

// Base of an automation object `Derived` that is the binary surface's struct `Abi` (its vtable pointer
// first). `Derived` says which interfaces it answers to with `bool answers(const Guid&) const`. Made with one
// reference, owned by whoever made it.
template <typename Derived, typename Abi>
class RefCounted : public Abi {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    // The object behind a pointer to its binary surface.
    [[nodiscard]] static Derived& self(Abi* object) noexcept { return *static_cast<Derived*>(object); }

    // QueryInterface: one more reference in `out` when the object answers to `iid`.
    static TvResult queryInterface(Abi* object, const TvGuid* iid, void** out) {
        if (!out) return TV_E_POINTER;
        *out = nullptr;
        if (!iid) return TV_E_POINTER;
        if (!self(object).answers(Guid::fromAbi(*iid))) return TV_E_NOINTERFACE;
        addRef(object);
        *out = object;
        return TV_S_OK;
    }

    // AddRef: the count after adding one reference.
    static std::uint32_t addRef(Abi* object) { return self(object).m_refs.fetch_add(1) + 1; }

    // Release: the count after removing one reference; the object is deleted when it reaches 0.
    static std::uint32_t release(Abi* object) {
        const std::uint32_t left = self(object).m_refs.fetch_sub(1) - 1;
        if (left == 0) delete &self(object);
        return left;
    }

protected:
    explicit RefCounted(decltype(Abi::lpVtbl) vtable) noexcept : Abi{vtable} {}
    ~RefCounted() = default;

private:
    std::atomic<std::uint32_t> m_refs{1};
    LiveObject m_live;
};

}  // namespace tarvenish
