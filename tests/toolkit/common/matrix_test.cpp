#include <gtest/gtest.h>

#include "toolkit/common/d3dx_math.h"

namespace {

const D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
const D3DXMATRIX b(17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32);
const D3DXMATRIX aTimesB(250, 260, 270, 280, 618, 644, 670, 696,  //
                         986, 1028, 1070, 1112, 1354, 1412, 1470, 1528);
const D3DXMATRIX bTimesA(538, 612, 686, 760, 650, 740, 830, 920,  //
                         762, 868, 974, 1080, 874, 996, 1118, 1240);
const D3DXMATRIX aSquared(90, 100, 110, 120, 202, 228, 254, 280,  //
                          314, 356, 398, 440, 426, 484, 542, 600);

void ExpectMatrixEq(const D3DXMATRIX& expected, const D3DXMATRIX& actual) {
  for (UINT row = 0; row < 4; ++row) {
    for (UINT column = 0; column < 4; ++column) {
      EXPECT_EQ(expected(row, column), actual(row, column))
          << "element _" << row + 1 << column + 1;
    }
  }
}

TEST(MatrixTest, ElementsAreNamedByRowThenColumn) {
  EXPECT_EQ(2.0f, a._12);
  EXPECT_EQ(13.0f, a._41);
  EXPECT_EQ(13.0f, a(3, 0));
  EXPECT_EQ(8.0f, a.m[1][3]);
}

TEST(MatrixTest, MultiplyIsTheRowByColumnProduct) {
  D3DXMATRIX product;
  EXPECT_EQ(&product, D3DXMatrixMultiply(&product, &a, &b));
  ExpectMatrixEq(aTimesB, product);
  D3DXMatrixMultiply(&product, &b, &a);
  ExpectMatrixEq(bTimesA, product);
  ExpectMatrixEq(aTimesB, a * b);
}

TEST(MatrixTest, IdentityLeavesAProductUnchanged) {
  D3DXMATRIX identity(a);
  D3DXMatrixIdentity(&identity);
  ExpectMatrixEq(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), identity);
  ExpectMatrixEq(a, a * identity);
  ExpectMatrixEq(a, identity * a);
}

TEST(MatrixTest, MultiplyAllowsTheOutputToBeAnInput) {
  D3DXMATRIX left = a;
  D3DXMatrixMultiply(&left, &left, &b);
  ExpectMatrixEq(aTimesB, left);

  D3DXMATRIX right = b;
  D3DXMatrixMultiply(&right, &a, &right);
  ExpectMatrixEq(aTimesB, right);

  D3DXMATRIX both = a;
  D3DXMatrixMultiply(&both, &both, &both);
  ExpectMatrixEq(aSquared, both);

  D3DXMATRIX compound = a;
  compound *= b;
  ExpectMatrixEq(aTimesB, compound);
}

}  // namespace
