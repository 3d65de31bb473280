// defsingleton: the one instance of a class, made on first use and destroyed at exit, for
// the scene engine's process-wide services (the XML preloader, the particle manager).
#pragma once

template <class T>
class TDefSingleton
{
public:
  static T* GetInstance()
  {
    static T instance;
    return &instance;
  }
};
