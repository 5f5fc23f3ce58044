#include "toolkit/common/result.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultNameTest, NamesKnownCodes) {
  EXPECT_STREQ("S_OK", ResultName(S_OK));
  EXPECT_STREQ("E_OUTOFMEMORY", ResultName(E_OUTOFMEMORY));
  EXPECT_STREQ("D3DERR_INVALIDCALL", ResultName(D3DERR_INVALIDCALL));
  EXPECT_STREQ("D3DERR_NOTAVAILABLE", ResultName(D3DERR_NOTAVAILABLE));
  EXPECT_STREQ("D3DXERR_INVALIDDATA", ResultName(D3DXERR_INVALIDDATA));
  EXPECT_STREQ("D3DOK_NOAUTOGEN", ResultName(D3DOK_NOAUTOGEN));
}

TEST(ResultNameTest, WritesUnknownCodesInHexadecimal) {
  EXPECT_STREQ("0x8876FFFF", ResultName(static_cast<HRESULT>(0x8876FFFFu)));
  EXPECT_STREQ("0x00000005", ResultName(5));
}

}  // namespace
