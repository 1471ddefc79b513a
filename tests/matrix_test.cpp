// Matrix operations and the camera built from them.
#include <gtest/gtest.h>

#include <cmath>

#include "Matrix4.h"
#include "Overlay.h"
#include "VrelSucks.h"

namespace
{
    Matrix4 Identity()
    {
        Matrix4 m;
        return m.SetIdentity();
    }

    // The matrix applied to the point or direction (x, y, z, w).
    void Apply(const Matrix4& m, const float in[4], float out[4])
    {
        for (int row = 0; row < 4; ++row)
            out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
    }

    void ExpectMaps(const Matrix4& m, std::initializer_list<float> from, std::initializer_list<float> to,
                    const char* what)
    {
        float in[4], expected[4], out[4];
        std::copy(from.begin(), from.end(), in);
        std::copy(to.begin(), to.end(), expected);
        Apply(m, in, out);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(out[i], expected[i], 1e-6f) << what << " component " << i;
    }
}

TEST(Matrix4, DefaultIsZeroAndIdentityTranslates)
{
    Matrix4 zero;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(zero[i], 0.0f);

    Matrix4 m = Identity();
    m.Translate(1, 2, 3);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], expected[i]) << i;
}

TEST(Matrix4, RotationCases)
{
    Matrix4 translated = Identity();
    translated.Translate(4, 5, 6);
    Matrix4 unchanged = translated.Rotate(0.0f, Vector3{0.3f, 2.0f, -1.0f});
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(unchanged[i], translated[i]) << "a zero angle changes nothing, exactly";

    Matrix4 yaw90 = Identity().Rotate(90.0f, Vector3{0, 1, 0});
    ExpectMaps(yaw90, {1, 0, 0, 0}, {0, 0, -1, 0}, "x axis under yaw 90");
    ExpectMaps(yaw90, {0, 0, 1, 0}, {1, 0, 0, 0}, "z axis under yaw 90");
    EXPECT_NE(yaw90[0], 0.0f) << "cos of the single-precision right angle is not exactly 0";
    EXPECT_NEAR(yaw90[0], -4.37e-8f, 1e-9f);

    Matrix4 longAxis = Identity().Rotate(90.0f, Vector3{0, 5, 0});
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(longAxis[i], yaw90[i]) << "the axis is normalised";

    Matrix4 roll90 = Identity().Rotate(90.0f, Vector3{0, 0, 1});
    ExpectMaps(roll90, {1, 0, 0, 0}, {0, 1, 0, 0}, "counter-clockwise about z");

    // The right-hand factor acts first: Ry(30) Rx(20) turns about x, then about y.
    Matrix4 chained = Identity().Rotate(30.0f, Vector3{0, 1, 0}).Rotate(20.0f, Vector3{1, 0, 0});
    Matrix4 product = Identity().Rotate(30.0f, Vector3{0, 1, 0}) * Identity().Rotate(20.0f, Vector3{1, 0, 0});
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(chained[i], product[i]);
    float s20 = std::sin(20.0f * 0.017453292f), c20 = std::cos(20.0f * 0.017453292f);
    float s30 = std::sin(30.0f * 0.017453292f), c30 = std::cos(30.0f * 0.017453292f);
    ExpectMaps(chained, {0, 1, 0, 0}, {s30 * s20, c20, c30 * s20, 0}, "y axis: pitched, then yawed");
}

TEST(Matrix4, ProductReadsAllInputsBeforeWriting)
{
    Matrix4 a = Identity();
    a.Translate(1, 0, 0);
    Matrix4 square = a * a;
    EXPECT_EQ(square[12], 2.0f);
    a = a * a;
    EXPECT_EQ(a[12], 2.0f);
}

TEST(Camera, EyeCases)
{
    struct Case
    {
        const char* what;
        VrelSucks::Eye eye;
        float translation[3]; // column 3 of view
        bool viewIsRotation;
    };
    const Case cases[] = {
        {"all zero", {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}, true},
        {"distance 5", {0, 0, 0, 0, 0, 0, 5}, {0, 0, -5}, false},
        {"yaw 90 and distance 5", {90, 0, 0, 0, 0, 0, 5}, {-5, 0, 0}, false},
        {"offset z cancels distance", {35, 10, 5, 0, 0, 2, 2}, {0, 0, 0}, true},
        {"offset x", {0, 0, 0, 3, 0, 0, 0}, {3, 0, 0}, false},
    };
    for (const Case& c : cases)
    {
        Matrix4 viewRotation, view;
        VrelSucks::CameraMatrices(c.eye, viewRotation, view);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(view[12 + i], c.translation[i], 1e-5f) << c.what;
        for (int i = 0; i < 12; ++i)
            EXPECT_FLOAT_EQ(view[i], viewRotation[i]) << c.what << ": view's 3 x 3 block is the rotation";
        EXPECT_EQ(viewRotation[12], 0.0f) << c.what;
        EXPECT_EQ(viewRotation[15], 1.0f) << c.what;
        if (c.viewIsRotation)
        {
            for (int i = 12; i < 15; ++i)
                EXPECT_NEAR(view[i], 0.0f, 1e-6f) << c.what;
        }
    }

    Matrix4 viewRotation, view;
    VrelSucks::CameraMatrices({90, 0, 0, 0, 0, 0, 0}, viewRotation, view);
    ExpectMaps(viewRotation, {1, 0, 0, 0}, {0, 0, -1, 0}, "yaw 90 turns x to -z");
    ExpectMaps(viewRotation, {0, 0, 1, 0}, {1, 0, 0, 0}, "yaw 90 turns z to x");
}

TEST(Overlay, FlickerStaysBetweenSixTenthsAndOne)
{
    struct Case
    {
        int random;
        float flicker;
    };
    const Case cases[] = {{0, 0.6f}, {2500, 0.6f}, {1250, 0.8f}, {2499, 0.99984f}, {2147483647, 0.6f + 0.39999998f * (2147483647 % 2500) / 2500.0f}};
    for (const Case& c : cases)
    {
        EXPECT_NEAR(OverlayFlicker(c.random), c.flicker, 1e-6f) << c.random;
        EXPECT_LT(OverlayFlicker(c.random), 1.0f);
    }
}
