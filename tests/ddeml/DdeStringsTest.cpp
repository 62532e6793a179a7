// A string handle's text copied out into the caller's buffer: never past its end, always ended
// by a NUL, as long as fits. Each buffer is a heap block of its exact size, so that under the
// address sanitizer (ddeml_sanitized) a byte written past it fails the test.
#include "Ddeml.h"
#include "FolderVariable.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

TEST(DdeStrings, QueryCopiesWhatFitsAndEndsItWithANul)
{
    FolderVariable runtime("XDG_RUNTIME_DIR");
    DWORD id = 0;
    ASSERT_EQ(DdeInitializeA(&id, nullptr, 0, 0), DMLERR_NO_ERROR);
    const std::string name = "TOLMFSK.STATUS";
    HSZ hsz = DdeCreateStringHandleA(id, name.c_str(), CP_WINANSI);
    ASSERT_NE(hsz, nullptr);

    EXPECT_EQ(DdeQueryStringA(id, hsz, nullptr, 0, CP_WINANSI), DWORD(name.size()))
        << "no buffer: the length it needs, without its NUL";
    for (std::size_t size : {name.size() + 1, name.size(), name.size() - 1, std::size_t(1)}) {
        const std::size_t fits = std::min(name.size(), size - 1);
        auto exact = std::make_unique<char[]>(size);
        DdeQueryStringA(id, hsz, exact.get(), DWORD(size), CP_WINANSI);
        EXPECT_EQ(std::strlen(exact.get()), fits);

        // Guard bytes after the buffer's end show a write past it without the sanitizer too;
        // the sanitized build checks the buffer's own end.
        const std::size_t guard = 8;
        auto block = std::make_unique<char[]>(size + guard);
        std::memset(block.get(), '#', size + guard);
        EXPECT_EQ(DdeQueryStringA(id, hsz, block.get(), DWORD(size), CP_WINANSI), DWORD(fits))
            << "buffer of " << size;
        EXPECT_EQ(std::string(block.get(), fits), name.substr(0, fits)) << "buffer of " << size;
        EXPECT_EQ(block[fits], '\0') << "buffer of " << size;
        for (std::size_t i = size; i < size + guard; ++i)
            ASSERT_EQ(block[i], '#') << "written past a buffer of " << size << " at " << i;
    }
    char untouched = '#';
    EXPECT_EQ(DdeQueryStringA(id, hsz, &untouched, 0, CP_WINANSI), DWORD(name.size()))
        << "a buffer of no length is not written";
    EXPECT_EQ(untouched, '#');
    DdeFreeStringHandle(id, hsz);
    DdeUninitialize(id);
}
