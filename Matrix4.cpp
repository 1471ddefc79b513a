// Matrix4: the camera's arithmetic, kept in single precision except where the
// rotation's trigonometry and the axis length are taken in double and rounded back.
#include "Matrix4.h"

#include <cmath>

Matrix4::Matrix4()
{
    for (float& element : m)
        element = 0.0f;
}

Matrix4& Matrix4::SetIdentity()
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    return *this;
}

Matrix4 Matrix4::Rotate(float angle, const Vector3& axis) const
{
    const float radians = angle * 0.017453292f;
    const float c = static_cast<float>(std::cos(static_cast<double>(radians)));
    const float s = static_cast<float>(std::sin(static_cast<double>(radians)));
    const float lengthSquared = axis.x * axis.x + axis.y * axis.y + axis.z * axis.z;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(lengthSquared)));
    const float inverse = 1.0f / length;
    const float x = axis.x * inverse, y = axis.y * inverse, z = axis.z * inverse;
    const float t = 1.0f - c;

    // r[row][column] of the rotation's upper-left 3 x 3 block.
    const float r[3][3] = {
        {t * x * x + c, t * x * y - s * z, t * x * z + s * y},
        {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
        {t * x * z - s * y, t * y * z + s * x, t * z * z + c},
    };

    Matrix4 result;
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 4; ++row)
            result.m[4 * column + row] =
                m[row] * r[0][column] + m[4 + row] * r[1][column] + m[8 + row] * r[2][column];
    for (int row = 0; row < 4; ++row)
        result.m[12 + row] = m[12 + row];
    return result;
}

void Matrix4::Translate(float x, float y, float z)
{
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

Matrix4 Matrix4::operator*(const Matrix4& other) const
{
    Matrix4 product;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            product.m[4 * column + row] = m[row] * other.m[4 * column] + m[4 + row] * other.m[4 * column + 1] +
                                          m[8 + row] * other.m[4 * column + 2] +
                                          m[12 + row] * other.m[4 * column + 3];
    return product;
}
