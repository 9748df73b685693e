// Runs with workers inflating ahead: the same files, bytes, errors and
// handler calls as one thread, and memory held within the budget.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "ExtractBuffers.h"
#include "InflateAhead.h"
#include "uArcReader.h"

#include <atomic>
#include <cstring>
#include <map>
#include <numeric>
#include <random>

using namespace trovel;
using namespace trovel::testing;

namespace {

// Every file below Root with its contents; folders end in "/".
std::map<std::string, std::string> ContentsOf(const fs::path &Root)
{
    std::map<std::string, std::string> contents;
    for (const std::string &name : TreeOf(Root))
        contents[name] = name.ends_with('/') ? "" : ReadFile(Root / name);
    return contents;
}

std::string Noise(std::size_t Size, unsigned Seed)
{
    std::mt19937 random(Seed);
    std::string data(Size, '\0');
    for (char &c : data)
        c = static_cast<char>('a' + random() % 7);
    return data;
}

// What one run did: the names the handler saw, the error that ended it, and
// what it left in the target.
struct TRunResult
{
    std::vector<std::string> Reported;
    std::string Error;
    std::map<std::string, std::string> Tree;
    friend bool operator==(const TRunResult &, const TRunResult &) = default;
};

class TParallelRunTest : public ::testing::Test
{
protected:
    // Forty entries of every kind, some of several parts and some larger
    // than one output buffer, with a damaged part in entry Damaged (none
    // when negative).
    void Open(int Damaged)
    {
        TArchiveBuilder b;
        for (int i = 0; i < 40; ++i) {
            const std::string name = "d" + std::to_string(i % 3) + "/e" + std::to_string(i);
            if (i == Damaged) {
                std::string bad = Deflate(Noise(30000, i));
                bad[bad.size() / 2] ^= 0x55;
                b.AddCompressedRaw(name, {{Deflate("before "), 7}, {bad, 30000}}, 0);
            } else if (i % 4 == 0) {
                b.AddStored(name, Noise(1000 + i, i));
            } else if (i % 4 == 1) {
                b.AddCompressed(name,
                                {Noise(7000, i), Noise(i == 9 ? 300000 : 9000, i + 100), "tail"});
            } else if (i % 4 == 2) {
                b.AddCompressed(name, {Noise(10 + i, i)});
            } else {
                b.AddOther(name, 7, 3);
            }
        }
        b.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
    }

    // ExtractAll with Jobs threads into its own folder, stopped by the
    // handler before entry StopAt.
    TRunResult Extract(unsigned Jobs, int StopAt = -1)
    {
        const std::string target =
            FDir / ("t" + std::to_string(Jobs) + "-" + std::to_string(StopAt));
        TRunResult result;
        FReader.SetJobs(Jobs);
        FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
            if (static_cast<int>(result.Reported.size()) == StopAt)
                return true;
            result.Reported.push_back(Name);
            return false;
        });
        try {
            FReader.ExtractAll(target);
        } catch (const Exception &e) {
            result.Error = e.Message();
        }
        result.Tree = ContentsOf(PathOf(target));
        return result;
    }

    TTempDir FDir;
    TArcReader FReader;
};

} // namespace

TEST_F(TParallelRunTest, extractAllWritesWhatOneThreadWrites)
{
    // A damaged entry in the middle ends the run there, however many
    // threads inflated the entries after it; a handler that stops the run
    // stops it before the same entry.
    struct TCase
    {
        int Damaged;
        int StopAt;
    };
    for (const TCase c :
         {TCase{-1, -1}, TCase{21, -1}, TCase{-1, 13}, TCase{21, 30}, TCase{5, 2}}) {
        Open(c.Damaged);
        const TRunResult one = Extract(1, c.StopAt);
        for (unsigned jobs : {2u, 5u}) {
            const TRunResult many = Extract(jobs, c.StopAt);
            EXPECT_EQ(many.Reported, one.Reported) << jobs << " jobs, damaged " << c.Damaged;
            EXPECT_EQ(many.Error, one.Error) << jobs << " jobs, damaged " << c.Damaged;
            EXPECT_TRUE(many.Tree == one.Tree) << jobs << " jobs, damaged " << c.Damaged;
        }
        if (c.Damaged >= 0 && c.StopAt < 0) {
            EXPECT_EQ(one.Error, "Daten von d0/e21 sind beschädigt");
        }
        if (c.StopAt >= 0) {
            EXPECT_EQ(one.Reported.size(),
                      std::min<std::size_t>(c.StopAt, c.Damaged < 0 ? 40 : c.Damaged + 1));
        }
    }
}

TEST_F(TParallelRunTest, readAheadHandsEachEntryItsOwnBytesAndErrors)
{
    // test and cat read entries one by one; with workers ahead each entry
    // still gets exactly its own data and error, also when some entries are
    // passed over or asked for out of order.
    Open(21);
    const auto readAll = [&](const std::vector<std::int32_t> &Order, bool Skip) {
        std::vector<std::string> results;
        FReader.ReadAhead(Order);
        for (std::size_t at = 0; at < Order.size(); ++at) {
            if (Skip && at % 5 == 1)
                continue;
            std::string bytes;
            try {
                FReader.ExtractTo(Order[at], [&](const void *Data, std::size_t Length) {
                    bytes.append(static_cast<const char *>(Data), Length);
                });
            } catch (const Exception &e) {
                bytes += "|" + e.Message();
            }
            results.push_back(bytes);
            try {
                FReader.TestFile(Order[at]);
            } catch (const Exception &e) {
                results.push_back(e.Message());
            }
        }
        FReader.EndReadAhead();
        return results;
    };
    std::vector<std::int32_t> order(40);
    std::iota(order.begin(), order.end(), 0);
    std::vector<std::int32_t> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    for (const auto &indices : {order, shuffled}) {
        for (bool skip : {false, true}) {
            FReader.SetJobs(1);
            const auto one = readAll(indices, skip);
            FReader.SetJobs(3);
            EXPECT_EQ(readAll(indices, skip), one) << "skip " << skip;
        }
    }
}

TEST(TInflateAheadTest, holdsNoMoreThanTheBudget)
{
    // Entries that claim 3 MiB each: with two workers the budget is 8 MiB,
    // so at most two are held or in hand at once, however slowly they are
    // taken.
    static constexpr std::uint64_t Claim = 3u << 20;
    std::atomic<int> started = 0;
    std::atomic<int> taken = 0;
    std::atomic<int> mostAhead = 0;
    TInflateAhead ahead(
        60, [](std::size_t At) { return static_cast<std::int32_t>(At); },
        [](std::int32_t) { return std::optional<std::uint64_t>(Claim); },
        [&](std::int32_t Index, std::uint64_t, TInflatedEntry &Entry, TExtractBuffers &) {
            const int ahead = ++started - taken;
            mostAhead = std::max<int>(mostAhead, ahead);
            Entry.Bytes = std::make_unique<unsigned char[]>(sizeof Index);
            std::memcpy(Entry.Bytes.get(), &Index, sizeof Index);
            Entry.Size = sizeof Index;
        },
        2);
    std::vector<char> slow(Claim);
    for (std::int32_t i = 0; i < 60; ++i) {
        ahead.Enter(i);
        const std::unique_ptr<TInflatedEntry> entry = ahead.TakeCurrent(i);
        if (entry) {
            std::int32_t got = -1;
            ASSERT_EQ(entry->Size, sizeof got);
            std::memcpy(&got, entry->Bytes.get(), sizeof got);
            EXPECT_EQ(got, i);
        }
        // The taking thread is slow: the workers would run ahead.
        for (int round = 0; round < 20; ++round)
            std::memset(slow.data(), round, slow.size());
        ++taken;
    }
    EXPECT_LE(mostAhead, 2 + 1);
}
