#include "target/WindowDiscovery.h"

#include <gtest/gtest.h>

#include "tests/support/FakeKiosk.h"

namespace {

struct Found {
    bool result;
    HWND form;
    HWND target;
};

Found Find() {
    Found found{false, reinterpret_cast<HWND>(1), reinterpret_cast<HWND>(1)};
    found.result = FindTargetWindows(found.form, found.target);
    return found;
}

}  // namespace

TEST(FindTargetWindows, NothingThereClearsBothHandles) {
    const Found found = Find();
    EXPECT_FALSE(found.result);
    EXPECT_EQ(nullptr, found.form);
    EXPECT_EQ(nullptr, found.target);
}

TEST(FindTargetWindows, FindsADirectChildAndAGrandchildWithTheirForm) {
    FakeKiosk kiosk;
    HWND form = kiosk.CreateForm();
    HWND panel = kiosk.CreateWindowOfClass(L"TPanel", form);
    HWND target = kiosk.CreateTarget(panel);
    Found found = Find();
    EXPECT_TRUE(found.result);
    EXPECT_EQ(form, found.form);
    EXPECT_EQ(target, found.target);
    DestroyWindow(panel);
    HWND child = kiosk.CreateTarget(form);
    found = Find();
    EXPECT_EQ(form, found.form);
    EXPECT_EQ(child, found.target);
}

TEST(FindTargetWindows, SkipsAFormWithoutTargetForOneWithIt) {
    FakeKiosk kiosk;
    kiosk.CreateForm();
    HWND second = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(second);
    const Found found = Find();
    EXPECT_EQ(second, found.form);
    EXPECT_EQ(target, found.target);
}

TEST(FindTargetWindows, FallsBackToATopLevelTargetWithoutForm) {
    FakeKiosk kiosk;
    kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(nullptr);
    const Found found = Find();
    EXPECT_TRUE(found.result);
    EXPECT_EQ(nullptr, found.form);
    EXPECT_EQ(target, found.target);
}

TEST(FindTargetWindows, PrefersATargetUnderAFormOverATopLevelOne) {
    FakeKiosk kiosk;
    kiosk.CreateTarget(nullptr);
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(form);
    const Found found = Find();
    EXPECT_EQ(form, found.form);
    EXPECT_EQ(target, found.target);
}

TEST(FindTargetWindows, IgnoresATargetUnderAnotherKindOfWindow) {
    FakeKiosk kiosk;
    HWND other = kiosk.CreateWindowOfClass(L"TOtherFrm", nullptr);
    kiosk.CreateTarget(other);
    EXPECT_FALSE(Find().result);
}

TEST(FindTargetWindows, ClassNamesMustMatchExactly) {
    // Class names that differ only in case are one class to the platform within a process,
    // so case is checked on the comparison and length on real windows.
    EXPECT_TRUE(IsClassName("TKorvaneFrm", 11, "TKorvaneFrm"));
    EXPECT_FALSE(IsClassName("TKORVANEFRM", 11, "TKorvaneFrm"));
    EXPECT_FALSE(IsClassName("vistalynewindowclass", 20, "VistalyneWindowClass"));
    EXPECT_FALSE(IsClassName("TKorvaneFr", 10, "TKorvaneFrm"));
    FakeKiosk kiosk;
    HWND longer = kiosk.CreateWindowOfClass(L"TKorvaneFrm2", nullptr);
    kiosk.CreateTarget(longer);
    HWND form = kiosk.CreateForm();
    kiosk.CreateWindowOfClass(L"VistalyneWindowClassX", form);
    kiosk.CreateWindowOfClass(L"VistalyneWindowClas", nullptr);
    EXPECT_FALSE(Find().result);
}

TEST(FindTargetWindows, ReturnsTheSameFirstTargetOnEveryCall) {
    FakeKiosk kiosk;
    HWND form = kiosk.CreateForm();
    kiosk.CreateTarget(form);
    kiosk.CreateTarget(form);
    const Found first = Find();
    const Found second = Find();
    EXPECT_EQ(first.target, second.target);
    EXPECT_EQ(TargetWindowsUnder(form).front(), first.target);
    EXPECT_EQ(2u, TargetWindowsUnder(form).size());
}

TEST(FindTargetWindows, SeesWindowsThatAppearAfterAFailedCall) {
    EXPECT_FALSE(Find().result);
    FakeKiosk kiosk;
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(form);
    const Found found = Find();
    EXPECT_EQ(target, found.target);
}
