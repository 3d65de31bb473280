// installable: one replaceable service: the one installed in its place (a test's fake, a
// recorder), else the default its owner names; talks to nothing.
#pragma once

// A namespace-scope TInstallable is constant-initialised, so it may be read from the
// constructors of other statics.
template <typename T>
class TInstallable
{
public:
  typedef T* (*TDefault)();

  constexpr explicit TInstallable(TDefault fallback) : mDefault(fallback) {}

  // The installed service, else the default (which may be null).
  T* Get() const { return mInstalled ? mInstalled : mDefault(); }
  // Installs service (not owned; null restores the default); returns the one it replaces.
  T* Install(T* service)
  {
    T* previous = mInstalled;
    mInstalled = service;
    return previous;
  }

private:
  TDefault mDefault;
  T* mInstalled = nullptr;
};
