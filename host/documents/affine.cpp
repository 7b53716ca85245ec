#include "host/documents/affine.h"

#include <cmath>

namespace zevkalon {

Affine::Affine() {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) m_[r][c] = r == c ? 1.0 : 0.0;
    }
}

Affine::Affine(const std::array<double, 12>& rows) : Affine() {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) m_[r][c] = rows[static_cast<std::size_t>(r * 4 + c)];
    }
}

bool Affine::isIdentity() const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m_[r][c] != (r == c ? 1.0 : 0.0)) return false;
        }
    }
    return true;
}

namespace {

double determinant3(const double m[4][4]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

}  // namespace

bool Affine::isInvertible() const {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (!std::isfinite(m_[r][c])) return false;
        }
    }
    const double det = determinant3(m_);
    return std::isfinite(det) && det != 0.0;
}

Affine Affine::inverse() const {
    // The identity must come back bit for bit (surfaces in voxel coordinates
    // pass through exactly), so it is not run through the general formula.
    if (isIdentity()) return *this;
    const double det = determinant3(m_);
    Affine result;
    double (&inv)[4][4] = result.m_;
    // Inverse of the linear part by cofactors, then the translation -L^-1 t.
    inv[0][0] = (m_[1][1] * m_[2][2] - m_[1][2] * m_[2][1]) / det;
    inv[0][1] = (m_[0][2] * m_[2][1] - m_[0][1] * m_[2][2]) / det;
    inv[0][2] = (m_[0][1] * m_[1][2] - m_[0][2] * m_[1][1]) / det;
    inv[1][0] = (m_[1][2] * m_[2][0] - m_[1][0] * m_[2][2]) / det;
    inv[1][1] = (m_[0][0] * m_[2][2] - m_[0][2] * m_[2][0]) / det;
    inv[1][2] = (m_[0][2] * m_[1][0] - m_[0][0] * m_[1][2]) / det;
    inv[2][0] = (m_[1][0] * m_[2][1] - m_[1][1] * m_[2][0]) / det;
    inv[2][1] = (m_[0][1] * m_[2][0] - m_[0][0] * m_[2][1]) / det;
    inv[2][2] = (m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0]) / det;
    for (int r = 0; r < 3; ++r) {
        inv[r][3] = -(inv[r][0] * m_[0][3] + inv[r][1] * m_[1][3] + inv[r][2] * m_[2][3]);
    }
    return result;
}

Affine Affine::compose(const Affine& other) const {
    Affine result;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = c == 3 ? m_[r][3] : 0.0;
            for (int k = 0; k < 3; ++k) sum += m_[r][k] * other.m_[k][c];
            result.m_[r][c] = sum;
        }
    }
    return result;
}

void Affine::mapPoint(const double in[3], double out[3]) const {
    for (int r = 0; r < 3; ++r) out[r] = m_[r][0] * in[0] + m_[r][1] * in[1] + m_[r][2] * in[2] + m_[r][3];
}

void Affine::mapDirection(const double in[3], double out[3]) const {
    for (int r = 0; r < 3; ++r) out[r] = m_[r][0] * in[0] + m_[r][1] * in[1] + m_[r][2] * in[2];
}

}  // namespace zevkalon
