// flashhost: plays a cinematic (.swf) through a web view: writes the player movie, the
// strings and the end page to temporary files, builds the page and watches for its end.
#pragma once

#include <string>

#include "core/foundation/str.h"
#include "core/window/windowscript.h"

// The player movie: an uncompressed SWF, version 6, 800 x 600, 30 frames per second.
const unsigned kSwfDataSize = 1498;
extern const unsigned char _kSwfData[kSwfDataSize];
// Offset of the integer part of the frame rate.
const unsigned kSwfFrameRateOffset = 18;

// Set when the movie view could not be set up; no host is ready afterwards.
extern bool gbMissingNIB;

// "file://" + path with every byte outside letters, digits, "-._~/" percent-encoded.
std::string AsFileURL(const std::string& path);
// Percent-encodes a value for the page's parameter list ("&", "=", "+", "#", "%",
// blanks, quotes and bytes outside ASCII).
std::string EncodeParameter(const std::string& value);
// Escapes text for an HTML attribute value in double quotes.
std::string EscapeHTML(const std::string& text);
// The resources' assets folder with a trailing "/".
std::string GetAssetsFolder();

class TFlashHostData;

class TFlashHost : public IMovieHost
{
public:
  explicit TFlashHost(char const* movieName);
  ~TFlashHost() override;

  // False when the host is not ready (missing movie or no movie view).
  bool Start(bool loop, bool translate, bool allowInput) override;
  // Lets the window manager draw again; the view stays until the host is deleted.
  void Stop() override;
  // False once the page has moved to the end page (and when not ready).
  bool IsPlaying() override;

  bool IsReady() const override;
  // The temporary files of the last Start (empty when not made).
  const std::string& GetPlayerPath() const;
  const std::string& GetStringsPath() const;
  const std::string& GetEndPagePath() const;
  const std::string& GetMovieURL() const;

private:
  TFlashHost(const TFlashHost&) = delete;
  TFlashHost& operator=(const TFlashHost&) = delete;

  str mName;
  TFlashHostData* mData;
};

// For the window script's movie commands.
IMovieHost* NewFlashHost(const str& file);
