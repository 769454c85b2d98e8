#include <gtest/gtest.h>

#include <vector>

#include "render/view_cull.h"
#include "render_fixture.h"

namespace {

// A quad as the world builds one: six vertices over a rectangle.
void AddQuad(std::vector<Vertex>& mesh, float left, float bottom, float right, float top, float z = 0.0f)
{
    const float corners[6][2] = {{left, top},    {right, top},    {left, bottom},
                                 {left, bottom}, {right, bottom}, {right, top}};
    for (const auto& c : corners) {
        mesh.push_back(Vertex{c[0], c[1], z, 0.0f, 0.0f, -1.0f, 0xFFFFFFFFu, 0.0f, 0.0f});
    }
}

TEST(ViewCull, AQuadGoesOnlyWhenItsGrownRectangleIsWhollyBeyondOneEdge)
{
    struct Case {
        const char* what;
        float left, bottom, right, top, z;
        bool kept;
    };
    const Case cases[] = {
        {"inside", -1.0f, -1.0f, 1.0f, 1.0f, 0.0f, true},
        {"across the right edge", 9.0f, 0.0f, 12.0f, 1.0f, 0.0f, true},
        {"within the margin right", 10.3f, 0.0f, 11.0f, 1.0f, 0.0f, true},
        {"beyond the margin right", 10.6f, 0.0f, 11.0f, 1.0f, 0.0f, false},
        {"beyond the margin left", -12.0f, 0.0f, -10.6f, 1.0f, 0.0f, false},
        {"beyond the margin above", 0.0f, 10.6f, 1.0f, 12.0f, 0.0f, false},
        {"within the margin below", 0.0f, -11.0f, 1.0f, -10.4f, 0.0f, true},
        {"beyond the margin below", 0.0f, -12.0f, 1.0f, -10.6f, 0.0f, false},
        {"farther away, where the view is wider", 14.0f, 0.0f, 15.0f, 1.0f, 10.0f, true},
        {"beyond a corner but not one edge", 9.0f, 9.0f, 12.0f, 12.0f, 0.0f, true},
        {"behind the eye", 50.0f, 50.0f, 51.0f, 51.0f, -20.0f, true},
    };
    const D3DXMATRIX m = RightAngledView();
    for (const Case& c : cases) {
        std::vector<Vertex> mesh;
        AddQuad(mesh, c.left, c.bottom, c.right, c.top, c.z);
        std::int32_t quads[1] = {-1};
        EXPECT_EQ(VisibleQuadList(mesh.data(), 0, 6, m, 0.5f, quads), c.kept ? 1 : 0) << c.what;
        EXPECT_EQ(quads[0], c.kept ? 0 : -1) << c.what;
    }
}

TEST(ViewCull, TheListHoldsTheQuadsInViewInMeshOrder)
{
    std::vector<Vertex> mesh;
    AddQuad(mesh, 50.0f, 0.0f, 51.0f, 1.0f);    // 0: out
    AddQuad(mesh, 0.0f, 0.0f, 1.0f, 1.0f);      // 6: in
    AddQuad(mesh, -50.0f, 0.0f, -49.0f, 1.0f);  // 12: out, between two in view
    AddQuad(mesh, 2.0f, 2.0f, 3.0f, 3.0f);      // 18: in
    AddQuad(mesh, 0.0f, 50.0f, 1.0f, 51.0f);    // 24: out
    const D3DXMATRIX m = RightAngledView();
    struct Case {
        std::int32_t begin, end, count;
        std::int32_t quads[2];
    };
    const Case cases[] = {
        {0, 30, 2, {6, 18}},
        {12, 30, 1, {18, -1}},  // a range starting part-way sees only its own quads
        {24, 30, 0, {-1, -1}},  // nothing in view
        {0, 28, -1, {-1, -1}},  // not whole quads: drawn whole
    };
    for (const Case& c : cases) {
        std::int32_t quads[5] = {-1, -1, -1, -1, -1};
        EXPECT_EQ(VisibleQuadList(mesh.data(), c.begin, c.end, m, 0.5f, quads), c.count) << c.begin << " " << c.end;
        EXPECT_EQ(quads[0], c.quads[0]) << c.begin;
        EXPECT_EQ(quads[1], c.quads[1]) << c.begin;
    }
}

}  // namespace
