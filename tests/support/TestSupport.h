#pragma once

#include "String.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Lets GoogleTest print a String as its text.
inline void PrintTo(const String& text, std::ostream* out) { *out << '"' << text.View() << '"'; }

// Expects f to raise an E whose message is exactly message.
template <class E, class F>
void ExpectRaise(F&& f, const std::string& message)
{
    EXPECT_THROW(
        {
            try {
                f();
            } catch (const E& e) {
                EXPECT_EQ(e.Message(), message);
                throw;
            }
        },
        E);
}

// Installs the regular-expression module's entries as start-up does.
void InstallRegExModule();
