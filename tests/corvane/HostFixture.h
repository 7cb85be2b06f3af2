// Shared set-up for the tests of the OpenCASCADE host: a fresh host instance, a temporary
// folder, and the calls the model building makes, with its arguments.
#pragma once

#include "corvane/CorvaneServer.h"
#include "tests/support/ReadBack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace hosttest {

using namespace CorvaneX_TLB;
namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::path(::testing::TempDir()) / "corvane-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    Dir = tmpl;
    Hook = corvane::CreateCorvaneServer();
    Root = std::dynamic_pointer_cast<ICVRoot>(Hook->Get_Root());
    ASSERT_TRUE(Root);
  }
  void TearDown() override {
    if (Root) Root->Terminate();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }

  std::shared_ptr<ICVPartSession> NewPart(const std::string& name) { return Root->CreateEmptyPart(name, false); }

  static std::shared_ptr<ICVDesignPlane> XyPlane(const std::shared_ptr<ICVPartSession>& part) {
    auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
    for (int i = 0; i < planes->Get_Count(); ++i) {
      auto n = planes->Get_Item(i)->Get_Normal();
      if (n->Get_X() == 0 && n->Get_Y() == 0 && n->Get_Z() == 1) return planes->Get_Item(i);
    }
    return nullptr;
  }

  static std::shared_ptr<ICVExtrusionFeature> Boss(const std::shared_ptr<ICVPartSession>& part,
                                                   const std::shared_ptr<ICVSketch>& sketch, double depth, bool reverse,
                                                   const std::string& name = "Boss") {
    return part->Get_Features()->AddExtrudedBoss(sketch, depth, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr,
                                                 reverse, int32_t(0), false, name, "", "");
  }

  static std::shared_ptr<ICVExtrusionFeature> CutThroughAll(const std::shared_ptr<ICVPartSession>& part,
                                                            const std::shared_ptr<ICVSketch>& sketch,
                                                            const std::string& name = "Cut") {
    return part->Get_Features()->AddExtrudedCutout(sketch, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0,
                                                   nullptr, nullptr, true, int32_t(0), false, name, "", "");
  }

  static bool HasError(const std::shared_ptr<ICVExtrusionFeature>& f) {
    return std::dynamic_pointer_cast<ICVPartFeature>(f)->Get_HasError();
  }

  // The first face whose outward normal at the middle of its parameter range is +Z
  // (top) or -Z (bottom), as the model building looks for it.
  static std::shared_ptr<ICVFace> TopOrBottomFace(const std::shared_ptr<ICVPartSession>& part, bool top) {
    auto bodies = part->Get_Bodies();
    if (bodies->Get_Count() == 0) return nullptr;
    auto faces = bodies->Get_Item(0)->Get_Faces();
    for (int i = 0; i < faces->Get_Count(); ++i) {
      auto face = faces->Get_Item(i);
      auto surf = face->Get_Geometry();
      auto n = surf->NormalAtPoint(surf->PointAtParam(0.5, 0.5));
      if (!n) continue;
      double z = face->Get_IsSenseReversed() ? -n->Get_Z() : n->Get_Z();
      if (std::abs(n->Get_X()) <= 1e-4 && std::abs(n->Get_Y()) <= 1e-4 && std::abs(z - (top ? 1.0 : -1.0)) <= 1e-4)
        return face;
    }
    return nullptr;
  }

  static void AddRectLoop(const std::shared_ptr<ICVSketch>& s, double x0, double y0, double x1, double y1) {
    s->Get_Figures()->AddLine(x0, y0, x1, y0);
    s->Get_Figures()->AddLine(x1, y0, x1, y1);
    s->Get_Figures()->AddLine(x1, y1, x0, y1);
    s->Get_Figures()->AddLine(x0, y1, x0, y0);
  }

  // A board of w x h cm and thickness t, extruded downwards from the XY plane.
  std::shared_ptr<ICVPartSession> Board(double w, double h, double t, const std::string& name = "Board") {
    auto part = NewPart(name);
    auto sketch = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), name + "_Sketch");
    AddRectLoop(sketch, 0, 0, w, h);
    auto f = Boss(part, sketch, t, true, name);
    EXPECT_FALSE(HasError(f));
    return part;
  }

  std::string Save(const std::shared_ptr<ICVUnknown>& session, const std::string& name, const std::string& ext) {
    std::dynamic_pointer_cast<ICVSession>(session)->SaveAs(Dir.string(), name);
    return (Dir / (name + ext)).string();
  }

  fs::path Dir;
  std::shared_ptr<IAutomationHook> Hook;
  std::shared_ptr<ICVRoot> Root;
};

}  // namespace hosttest
