#pragma once

#include "ArchiveBuilder.h"
#include "LocaleEnvironment.h"
#include "TempDir.h"

#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// The GoogleTest helpers of the engine's tests.
namespace trovel::testing {

// A table row's label as a test name: "bad Adler-32" gives "bad_Adler_32".
struct TLabelName
{
    template <typename TInfo>
    std::string operator()(const TInfo &Info) const
    {
        std::string name = Info.param.Label;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    }
};

// Runs Action and checks that it raises exactly TError with the given
// message, and with the given reason when one is given.
template <typename TError>
void ExpectError(const std::function<void()> &Action, const std::string &Message,
                 const std::optional<std::string> &Reason = std::nullopt)
{
    try {
        Action();
        ADD_FAILURE() << "no error raised, expected: " << Message;
    } catch (const TError &e) {
        EXPECT_EQ(e.Message(), Message);
        if (Reason) {
            EXPECT_EQ(e.Reason(), *Reason) << Message;
        }
    } catch (const std::exception &e) {
        ADD_FAILURE() << "wrong error kind: " << e.what() << ", expected: " << Message;
    }
}

} // namespace trovel::testing
