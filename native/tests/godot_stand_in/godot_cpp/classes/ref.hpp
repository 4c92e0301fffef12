#pragma once

#include <godot_cpp/classes/ref_counted.hpp>

namespace godot {

template <typename T> class Ref {
public:
    Ref() = default;
    Ref(T *p_reference) { set(p_reference); }
    Ref(const Ref &p_from) { set(p_from.reference_); }
    Ref &operator=(const Ref &p_from) {
        if (p_from.reference_ != reference_) {
            T *other = p_from.reference_;
            unref();
            set(other);
        }
        return *this;
    }
    ~Ref() { unref(); }

    bool is_valid() const { return reference_ != nullptr; }
    bool is_null() const { return reference_ == nullptr; }
    T *ptr() const { return reference_; }
    T *operator->() const { return reference_; }
    bool operator==(const Ref &p_other) const { return reference_ == p_other.reference_; }
    bool operator!=(const Ref &p_other) const { return reference_ != p_other.reference_; }

    void unref() {
        if (reference_ != nullptr && reference_->unreference()) {
            delete reference_;
        }
        reference_ = nullptr;
    }

private:
    void set(T *p_reference) {
        reference_ = p_reference;
        if (reference_ != nullptr) {
            reference_->reference();
        }
    }

    T *reference_ = nullptr;
};

} // namespace godot
