// loader: makes a new scene from an ".sxm" file, from the XML preloader's parsed tree when
// it holds one, else from the file itself.
#pragma once

class TScene;

class TLoader
{
public:
  // A new scene owned by the caller; null, with an "ERROR: " line, when the file cannot be
  // read, is damaged (cut short among them) or has no "scene" element. A scene whose
  // resources cannot be read comes back empty.
  static TScene* SceneLoad(const char* file);

private:
  TLoader() = delete;
};
