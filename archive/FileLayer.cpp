// The file layer's parts that are the same on every platform: handles are
// C library descriptors on POSIX and on Windows alike.
#include "FileLayer.h"

#include <unistd.h>
#include <utility>

namespace trovel {

TFileStream::TFileStream(TFileStream &&Other) noexcept
    : FHandle(std::exchange(Other.FHandle, -1)), FPosition(Other.FPosition),
      FSequential(Other.FSequential)
{
}

TFileStream &TFileStream::operator=(TFileStream &&Other) noexcept
{
    if (this != &Other) {
        Release();
        FHandle = std::exchange(Other.FHandle, -1);
        FPosition = Other.FPosition;
        FSequential = Other.FSequential;
    }
    return *this;
}

TFileStream::~TFileStream()
{
    Release();
}

void TFileStream::Release() noexcept
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
}

TFolder::TFolder(TFolder &&Other) noexcept : FHandle(std::exchange(Other.FHandle, -1)) {}

TFolder &TFolder::operator=(TFolder &&Other) noexcept
{
    if (this != &Other) {
        if (FHandle >= 0)
            ::close(FHandle);
        FHandle = std::exchange(Other.FHandle, -1);
    }
    return *this;
}

TFolder::~TFolder()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

TUnfinishedFile::TUnfinishedFile(int Folder, TFileStream Stream, std::string Name,
                                 std::string Shown, std::string TemporaryName)
    : FFolder(Folder), FStream(std::move(Stream)), FName(std::move(Name)), FShown(std::move(Shown)),
      FTemporaryName(std::move(TemporaryName))
{
}

TUnfinishedFile::TUnfinishedFile(TUnfinishedFile &&Other) noexcept
    : FFolder(Other.FFolder), FStream(std::move(Other.FStream)), FName(std::move(Other.FName)),
      FShown(std::move(Other.FShown)), FTemporaryName(std::exchange(Other.FTemporaryName, {}))
{
}

} // namespace trovel
