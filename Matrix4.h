// Matrix4: a 4 x 4 single-precision matrix in the column-major layout that
// glUniformMatrix4fv takes untransposed (row r, column c at index 4c + r), with the
// operations the camera needs. Plain value; no failure modes.
#pragma once

struct Vector3
{
    float x, y, z;
};

class Matrix4
{
public:
    Matrix4(); // all zero

    Matrix4& SetIdentity();

    // this x R(angle, axis): angle in degrees, right-handed about the axis.
    Matrix4 Rotate(float angle, const Vector3& axis) const;

    // Replaces this by this x T(x, y, z).
    void Translate(float x, float y, float z);

    Matrix4 operator*(const Matrix4& other) const;

    float& operator[](int index) { return m[index]; }
    float operator[](int index) const { return m[index]; }
    const float* Data() const { return m; }

private:
    float m[16];
};
