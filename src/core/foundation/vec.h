// vec: 2-, 3- and 4-component float vectors, plain values shared by the renderer, the
// windows and the game; row vectors that multiply matrices (mat.h) from the left.
#pragma once

#include <cmath>

struct TVec3;
struct TVec4;

struct TVec2
{
  float x, y;

  TVec2() : x(0), y(0) {}
  TVec2(float x_, float y_) : x(x_), y(y_) {}
  explicit TVec2(TVec3 const& v);

  float& operator[](int i) { return i == 0 ? x : y; }
  float operator[](int i) const { return i == 0 ? x : y; }

  TVec2& operator+=(TVec2 const& v)
  {
    x += v.x;
    y += v.y;
    return *this;
  }
  TVec2& operator-=(TVec2 const& v)
  {
    x -= v.x;
    y -= v.y;
    return *this;
  }
  TVec2 operator-() const { return TVec2(-x, -y); }

  float Length() const { return std::sqrt(x * x + y * y); }
  // Scales to length 1; a zero vector has no direction and stays as it is.
  TVec2& Normalize()
  {
    float length = Length();
    if (length != 0) {
      x /= length;
      y /= length;
    }
    return *this;
  }
};

inline TVec2 operator+(TVec2 const& a, TVec2 const& b)
{
  return TVec2(a.x + b.x, a.y + b.y);
}
inline TVec2 operator-(TVec2 const& a, TVec2 const& b)
{
  return TVec2(a.x - b.x, a.y - b.y);
}
inline TVec2 operator*(TVec2 const& v, float s)
{
  return TVec2(v.x * s, v.y * s);
}
inline TVec2 operator*(float s, TVec2 const& v)
{
  return TVec2(v.x * s, v.y * s);
}
inline TVec2 operator/(TVec2 const& v, float s)
{
  return TVec2(v.x / s, v.y / s);
}
inline bool operator==(TVec2 const& a, TVec2 const& b)
{
  return a.x == b.x && a.y == b.y;
}
inline bool operator!=(TVec2 const& a, TVec2 const& b)
{
  return !(a == b);
}

struct TVec3
{
  float x, y, z;

  TVec3() : x(0), y(0), z(0) {}
  TVec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  TVec3(TVec2 const& v, float z_) : x(v.x), y(v.y), z(z_) {}
  explicit TVec3(TVec4 const& v);

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  TVec3& operator+=(TVec3 const& v)
  {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  TVec3 operator-() const { return TVec3(-x, -y, -z); }
};

struct TVec4
{
  float x, y, z, w;

  TVec4() : x(0), y(0), z(0), w(0) {}
  TVec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
  TVec4(TVec3 const& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
};

inline TVec2::TVec2(TVec3 const& v) : x(v.x), y(v.y) {}
inline TVec3::TVec3(TVec4 const& v) : x(v.x), y(v.y), z(v.z) {}
