// A 4 x 4 affine transform in double precision.
#pragma once

#include <array>

namespace zevkalon {

// Row-major 4 x 4 matrix whose last row is 0 0 0 1: p' = M p for points,
// d' = L d for directions (L the upper-left 3 x 3 linear part).
class Affine {
public:
    // The identity.
    Affine();
    // From the first three rows (row-major, 12 values); the fourth is 0 0 0 1.
    explicit Affine(const std::array<double, 12>& rows);

    double at(int row, int column) const { return m_[row][column]; }
    bool isIdentity() const;
    // True when the linear part can be inverted (its determinant is not 0 and
    // every entry is finite).
    bool isInvertible() const;
    // The inverse. Precondition: isInvertible().
    Affine inverse() const;
    // This . other: other applied first, then this.
    Affine compose(const Affine& other) const;

    // out = M (x, y, z, 1)
    void mapPoint(const double in[3], double out[3]) const;
    // out = L (x, y, z): translation does not apply to directions.
    void mapDirection(const double in[3], double out[3]) const;

private:
    double m_[4][4];
};

}  // namespace zevkalon
