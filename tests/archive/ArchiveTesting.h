#pragma once

#include "ArchiveBuilder.h"
#include "FileLayer.h"
#include "LocaleEnvironment.h"
#include "TempDir.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

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

// A message or path as the expectations write it: Windows puts "\\" where
// they write "/".
inline std::string WithSlashes(std::string Text)
{
#ifdef _WIN32
    std::replace(Text.begin(), Text.end(), '\\', '/');
#endif
    return Text;
}

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
#ifdef _WIN32
        // Paths there hold "\\" where the expectations write "/", and the
        // system words its reasons its own way: one must be there.
        EXPECT_EQ(WithSlashes(e.Message()), WithSlashes(Message));
        if (Reason) {
            EXPECT_EQ(e.Reason().empty(), Reason->empty()) << Message << ": " << e.Reason();
        }
#else
        EXPECT_EQ(e.Message(), Message);
        if (Reason) {
            EXPECT_EQ(e.Reason(), *Reason) << Message;
        }
#endif
    } catch (const std::exception &e) {
        ADD_FAILURE() << "wrong error kind: " << e.what() << ", expected: " << Message;
    }
}

// Every output file fails at close, as on a network file system whose quota
// is found full only then; the data is written all the same.
class TFailingClose final
{
public:
    TFailingClose()
        : FPrevious(ReplaceCloseCall([](int Handle) {
              ::close(Handle);
              errno = EIO;
              return -1;
          }))
    {
    }
    ~TFailingClose() { ReplaceCloseCall(FPrevious); }
    TFailingClose(const TFailingClose &) = delete;
    TFailingClose &operator=(const TFailingClose &) = delete;

private:
    TCloseCall FPrevious;
};

// Files are written as on a file system without unnamed files: under a marked
// name of their own until they are whole.
class TNoUnnamedFiles final
{
public:
    TNoUnnamedFiles() : FPrevious(AllowUnnamedFiles(false)) {}
    ~TNoUnnamedFiles() { AllowUnnamedFiles(FPrevious); }
    TNoUnnamedFiles(const TNoUnnamedFiles &) = delete;
    TNoUnnamedFiles &operator=(const TNoUnnamedFiles &) = delete;

private:
    bool FPrevious;
};

} // namespace trovel::testing
