#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The framework's exceptions. Every failure of the framework is one of these,
// raised through Raise<E>(), and caught only at the boundary to Qt and in the
// start-up's catch-all.
class RuntimeException : public std::exception {
public:
    explicit RuntimeException(std::string message, std::int32_t errorNumber = 0);

    virtual const char* ClassName() const noexcept { return "RuntimeException"; }
    const std::string& Message() const noexcept { return message_; }
    std::int32_t ErrorNumber() const noexcept { return errorNumber_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    std::int32_t errorNumber_;
};

#define VELTO_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        const char* ClassName() const noexcept override { return #Name; }     \
    };

// A nil reference was used.
VELTO_DECLARE_EXCEPTION(NilObjectException, RuntimeException)
// A file could not be opened or read; ErrorNumber() is the OS error number.
VELTO_DECLARE_EXCEPTION(IOException, RuntimeException)
// An index or a range outside what the object holds.
VELTO_DECLARE_EXCEPTION(OutOfBoundsException, RuntimeException)
// An object is not of the class that the caller asked for.
VELTO_DECLARE_EXCEPTION(IllegalCastException, RuntimeException)
// A name (control, property key, class) that is not known.
VELTO_DECLARE_EXCEPTION(KeyNotFoundException, RuntimeException)
// A programming error: something used in a way it cannot be used.
VELTO_DECLARE_EXCEPTION(UnsupportedOperationException, RuntimeException)
// A plug-in module or one of its entries is missing.
VELTO_DECLARE_EXCEPTION(FunctionNotFoundException, RuntimeException)
// The regular-expression engine refused a pattern or failed to match.
VELTO_DECLARE_EXCEPTION(RegExException, RuntimeException)
// A user-interface object was used from a thread other than the one that
// runs the event loop.
VELTO_DECLARE_EXCEPTION(ThreadAccessingUIException, RuntimeException)

#undef VELTO_DECLARE_EXCEPTION

// The one way the framework raises: fills the message, throws E.
template <class E>
[[noreturn]] void Raise(std::string message, std::int32_t errorNumber = 0)
{
    throw E(std::move(message), errorNumber);
}
