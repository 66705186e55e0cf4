// Matrix: construction, the first non-zero Boolean product and the exact diagonal test.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hamilton/matrix.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using Values = std::vector<std::int32_t>;

Values valuesOf(const Matrix& matrix) {
  const std::int32_t* data = matrix.getData();
  return Values(data, data + static_cast<std::size_t>(matrix.getRows()) * static_cast<std::size_t>(matrix.getCols()));
}

struct Square {
  explicit Square(const Values& values, std::int32_t n) : matrix(values.data(), n, n, out) {}
  OutputSink out;
  Matrix matrix;
};

const Values kIdentity3 = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const Values kShift = {0, 1, 0, 0, 0, 1, 1, 0, 0};
const Values kShiftSquared = {0, 0, 1, 1, 0, 0, 0, 1, 0};

TEST(Matrix, ConstructorCopiesRowsTimesColsIntoBothBuffers) {
  const Values source = {1, 2, 3, 4, 99, 99};
  Square m(source, 2);
  EXPECT_EQ(m.out.captured(), "");
  EXPECT_EQ(m.matrix.getRows(), 2);
  EXPECT_EQ(m.matrix.getCols(), 2);
  EXPECT_EQ(valuesOf(m.matrix), (Values{1, 2, 3, 4}));
  EXPECT_EQ(m.matrix.getData()[1 * 2 + 0], 3);
}

TEST(Matrix, SourceStaysTheCallers) {
  Values source = {0, 1, 1, 0};
  Square m(source, 2);
  source[0] = 7;
  EXPECT_EQ(valuesOf(m.matrix), (Values{0, 1, 1, 0}));
  m.matrix.boolMultiply(m.matrix);
  EXPECT_EQ(source, (Values{7, 1, 1, 0}));
}

struct DiagonalCase {
  const char* name;
  Values values;
  std::int32_t n;
  std::int32_t value;
  bool expected;
};

class Diagonal : public ::testing::TestWithParam<DiagonalCase> {};

TEST_P(Diagonal, ComparesEveryDiagonalEntryExactly) {
  const DiagonalCase& c = GetParam();
  Square m(c.values, c.n);
  EXPECT_EQ(m.matrix.diagonalEquals(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Diagonal,
    ::testing::Values(DiagonalCase{"identityOne", kIdentity3, 3, 1, true},
                      DiagonalCase{"identityZero", kIdentity3, 3, 0, false},
                      DiagonalCase{"twosAreNotOne", {2, 0, 0, 2}, 2, 1, false},
                      DiagonalCase{"twosEqualTwo", {2, 0, 0, 2}, 2, 2, true},
                      DiagonalCase{"lastDiffers", {1, 0, 0, 0, 1, 0, 0, 0, 0}, 3, 1, false},
                      DiagonalCase{"firstDiffers", {0, 0, 0, 0, 1, 0, 0, 0, 1}, 3, 1, false},
                      DiagonalCase{"offDiagonalIgnored", {1, 9, -9, 1}, 2, 1, true},
                      DiagonalCase{"zeroMatrixZero", {0, 0, 0, 0}, 2, 0, true},
                      DiagonalCase{"oneByOne", {-4}, 1, -4, true}),
    [](const ::testing::TestParamInfo<DiagonalCase>& info) { return std::string(info.param.name); });

TEST(Matrix, NoRowsHasNoDiagonal) {
  OutputSink out;
  Matrix empty(nullptr, 0, 0, out);
  EXPECT_EQ(empty.getRows(), 0);
  for (std::int32_t value : {0, 1, -1}) EXPECT_FALSE(empty.diagonalEquals(value)) << value;
  empty.boolMultiply(empty);
  EXPECT_FALSE(empty.diagonalEquals(0));
  EXPECT_EQ(out.captured(), "");
}

struct ProductCase {
  const char* name;
  Values self;
  Values other;
  std::int32_t n;
  Values expected;
};

class Product : public ::testing::TestWithParam<ProductCase> {};

TEST_P(Product, FirstNonZeroRule) {
  const ProductCase& c = GetParam();
  Square self(c.self, c.n);
  Square other(c.other, c.n);
  self.matrix.boolMultiply(other.matrix);
  EXPECT_EQ(valuesOf(self.matrix), c.expected);
  EXPECT_EQ(valuesOf(other.matrix), c.other);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Product,
    ::testing::Values(
        ProductCase{"shiftTimesShift", kShift, kShift, 3, kShiftSquared},
        ProductCase{"shiftSquaredTimesShift", kShiftSquared, kShift, 3, kIdentity3},
        ProductCase{"identityTimesShift", kIdentity3, kShift, 3, kShift},
        // Row 0 takes row 0 of the other only (not the OR with row 1); an empty row gives 0s.
        ProductCase{"onlyTheFirstNonZeroCounts", {1, 1, 0, 0}, {0, 1, 1, 0}, 2, {0, 1, 0, 0}},
        ProductCase{"firstNonZeroMayBeLate", {0, 0, 3, 0, -2, 7, 0, 0, 0}, {1, 0, 0, 0, 0, 1, 0, 1, 0}, 3,
                    {0, 1, 0, 0, 0, 1, 0, 0, 0}},
        ProductCase{"valuesOtherThanOne", {1, 0, 0, 1}, {0, 5, -3, 0}, 2, {0, 1, 1, 0}},
        ProductCase{"selfValueIsOnlyATruthValue", {-8, 0, 0, 4}, {2, 2, 0, 0}, 2, {1, 1, 0, 0}},
        ProductCase{"zeroOther", {1, 1, 1, 1}, {0, 0, 0, 0}, 2, {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<ProductCase>& info) { return std::string(info.param.name); });

TEST(Matrix, PowersOfTheCyclicShift) {
  Square power(kShift, 3);
  Square factor(kShift, 3);
  EXPECT_FALSE(power.matrix.diagonalEquals(1));
  power.matrix.boolMultiply(factor.matrix);
  EXPECT_EQ(valuesOf(power.matrix), kShiftSquared);
  EXPECT_FALSE(power.matrix.diagonalEquals(1));
  power.matrix.boolMultiply(factor.matrix);
  EXPECT_EQ(valuesOf(power.matrix), kIdentity3);
  EXPECT_TRUE(power.matrix.diagonalEquals(1));
  power.matrix.boolMultiply(factor.matrix);
  EXPECT_EQ(valuesOf(power.matrix), kShift);
}

TEST(Matrix, MultiplyingByItselfMatchesASeparateCopy) {
  Square self(kShift, 3);
  self.matrix.boolMultiply(self.matrix);
  EXPECT_EQ(valuesOf(self.matrix), kShiftSquared);

  // A row whose first non-zero points at a row changed earlier in the same product must still
  // see the old values.
  const Values mixed = {0, 1, 1, 1, 0, 0, 0, 0, 1};
  Square alone(mixed, 3);
  Square copy(mixed, 3);
  Square other(mixed, 3);
  alone.matrix.boolMultiply(alone.matrix);
  copy.matrix.boolMultiply(other.matrix);
  EXPECT_EQ(valuesOf(alone.matrix), valuesOf(copy.matrix));
  EXPECT_EQ(valuesOf(alone.matrix), (Values{1, 0, 0, 0, 1, 1, 0, 0, 1}));
}

}  // namespace
}  // namespace bicubic
