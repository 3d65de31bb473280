// hold: a registry's handles kept alive while holds on it live, and the scope object that
// holds it; talks to nothing (the registry says where it lives).
#pragma once

#include <vector>

// Nested holds count: the handles go when the last hold ends.
template <typename TRef>
class THeldRefs
{
public:
  // True for the outermost hold: the registry then keeps every handle it has.
  bool Begin() { return mHolds++ == 0; }
  // Keeps ref while a hold lives.
  void Keep(const TRef& ref)
  {
    if (mHolds > 0)
      mHeld.push_back(ref);
  }
  void End()
  {
    if (mHolds <= 0 || --mHolds > 0)
      return;
    // A handle let go may call back into its registry, which must not find this list half
    // emptied.
    std::vector<TRef> held;
    held.swap(mHeld);
  }

private:
  int mHolds = 0;
  std::vector<TRef> mHeld;
};

// While one lives, everything TRegistry has or is given stays alive even when nothing else
// holds it: work that replaces the users of a registry's things by new users of the same
// things (as loading a saved game does) finds them instead of making them again.
// TRegistry provides static BeginHold and EndHold.
template <typename TRegistry>
class TScopedHold
{
public:
  TScopedHold() { TRegistry::BeginHold(); }
  ~TScopedHold() { TRegistry::EndHold(); }

  TScopedHold(const TScopedHold&) = delete;
  TScopedHold& operator=(const TScopedHold&) = delete;
};
