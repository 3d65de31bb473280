// defsingleton: the one instance of a class, made on first use and destroyed at exit, for
// the scene engine's process-wide services (the XML preloader, the particle manager).
#pragma once

template <class T>
class TDefSingleton
{
public:
  // Null once the instance has been destroyed at exit, so that objects destroyed later
  // (scenes held by other singletons) can tell.
  static T* GetInstance()
  {
    if (sGone)
      return nullptr;
    static THolder holder;
    return &holder.mInstance;
  }

private:
  struct THolder
  {
    ~THolder() { sGone = true; }
    T mInstance;
  };
  // Trivially destructible, so it can still be read after the instance has gone.
  static bool sGone;
};

template <class T>
bool TDefSingleton<T>::sGone = false;
