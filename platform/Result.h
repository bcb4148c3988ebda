#pragma once

#include <cassert>
#include <optional>
#include <utility>
#include <variant>

class QString;

namespace quillset {

// The reason a reader gives for not making its value; turned into any Result by conversion.
template <typename Reason> struct Refusal { Reason reason; };

template <typename Reason> Refusal<Reason> Refuse(Reason reason) {
    return {std::move(reason)};
}

// What a reader of outside data answers: the value it made, or the reason it could not. The
// reason is a QString on the Qt side; code without Qt names its own (std::string).
template <typename T, typename Reason = QString> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <typename From>
    Result(Refusal<From> refusal) : state_(std::in_place_index<1>, std::move(refusal.reason)) {}

    explicit operator bool() const { return state_.index() == 0; }

    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    T valueOr(T fallback) const& { return *this ? **this : std::move(fallback); }

    const Reason& reason() const { return std::get<1>(state_); }

private:
    std::variant<T, Reason> state_;
};

// A check that makes no value: fine, or the reason it refused.
template <typename Reason> class [[nodiscard]] Result<void, Reason> {
public:
    Result() = default;
    template <typename From> Result(Refusal<From> refusal) : reason_(std::move(refusal.reason)) {}

    explicit operator bool() const { return !reason_; }

    const Reason& reason() const {
        assert(reason_);
        return *reason_;
    }

private:
    std::optional<Reason> reason_;
};

} // namespace quillset
