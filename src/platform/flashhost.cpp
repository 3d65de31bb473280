// flashhost: the cinematic host: temporary player, strings and end-page files, the page
// that plays the movie, and its end; talks to the movie view, renderer and window manager.
#include "platform/flashhost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <unistd.h>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/percentencode.h"
#include "core/foundation/stringtable.h"
#include "core/graphics/renderer.h"
#include "core/window/windowmanager.h"
#include "platform/cinema/movieview.h"
#include "core/foundation/debug.h"
#include "platform/display/event.h"
#include "platform/platformdata.h"

bool gbMissingNIB = false;

namespace {

const char kEndPage[] = "<html><body bgcolor=\"#000000\" style=\"margin: 0px\"></body></html>\n";
bool IsUnreserved(unsigned char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// A file path in a file URL keeps its slashes.
bool EscapedInPath(unsigned char c)
{
  return !IsUnreserved(c) && c != '/';
}

// A parameter value keeps what may stand in a query value unescaped.
bool EscapedInParameter(unsigned char c)
{
  return !IsUnreserved(c) && !(c != 0 && std::strchr(":/@!$'()*,;?", c));
}

// A new file in the temporary folder, made with a unique name and only for this user,
// so nobody can slip a link in its place. Empty after a message when it fails.
std::string MakeTempFile(const char* suffix, const void* data, size_t size)
{
  char const* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder && folder[0] ? folder : "/tmp") + "/qvcinemaXXXXXX" + suffix;
  std::string buffer = name;
  int descriptor = mkstemps(&buffer[0], int(std::strlen(suffix)));
  if (descriptor < 0) {
    std::fprintf(stderr, "unable to open tmp file %s\n", name.c_str());
    return std::string();
  }
  FILE* file = fdopen(descriptor, "wb");
  bool written = file && (size == 0 || std::fwrite(data, 1, size, file) == size);
  if (file) {
    written = std::fclose(file) == 0 && written;
  } else {
    close(descriptor);
  }
  if (!written) {
    std::fprintf(stderr, "unable to open tmp file %s\n", buffer.c_str());
    std::remove(buffer.c_str());
    return std::string();
  }
  return buffer;
}

bool Contains(const std::string& text, const std::string& part)
{
  return !part.empty() && text.find(part) != std::string::npos;
}

TWindowManager* Manager()
{
  // Null once the window manager is gone (a host may outlive it at teardown).
  return TWindowManager::GetInstance();
}

// Paints the game's frame black so that it shows no stale picture when it comes back.
void DrawBlackFrame()
{
  TPlatform* platform = TPlatform::GetInstance();
  if (!platform || !platform->GetData() || !platform->GetData()->GetNativeWindow()) {
    return;
  }
  TRenderer* renderer = TRenderer::GetInstance();
  if (!renderer->BeginDraw(true)) {
    return;
  }
  if (renderer->Begin2d()) {
    TColor black;
    black.r = black.g = black.b = 0.0f;
    black.a = 1.0f;
    renderer->FillRect(TURect(0, 0, 800, 600), black, boost::shared_ptr<TTexture>());
    renderer->End2d();
  }
  renderer->EndDraw(true);
}

void ShowCursor(bool show)
{
  if (TPlatform* platform = TPlatform::GetInstance()) {
    platform->ShowCursor(show);
  }
}

void ShowGameWindow(bool show)
{
  TPlatform* platform = TPlatform::GetInstance();
  if (platform && platform->GetData()) {
    platform->GetData()->ShowWindow(show);
  }
}

} // namespace

std::string AsFileURL(const std::string& path)
{
  return "file://" + PercentEncode(path, EscapedInPath);
}

std::string EncodeParameter(const std::string& value)
{
  return PercentEncode(value, EscapedInParameter);
}

std::string EscapeHTML(const std::string& text)
{
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
      break;
    }
  }
  return out;
}

std::string GetAssetsFolder()
{
  std::string folder;
  if (char* current = getcwd(nullptr, 0)) {
    folder = current;
    std::free(current);
  }
  return folder + "/assets/";
}

class TFlashHostData
{
public:
  explicit TFlashHostData(const str& name);
  ~TFlashHostData();
  bool Start(bool loop, bool translate, bool allowInput);
  bool IsPlaying();
  void RemoveFiles();

  bool mReady = false;
  bool mLoop = false;
  bool mTranslate = false;
  bool mAllowInput = false;
  std::string mMovieURL;
  std::string mStartLocation;
  std::string mPlayerPath;
  std::string mStringsPath;
  std::string mEndPagePath;
};

TFlashHostData::TFlashHostData(const str& name)
{
  mReady = TFile::Exists(name);
  if (!mReady) {
    return;
  }
  IWebMovieView* view = GetMovieView();
  if (gbMissingNIB || !view->IsAvailable()) {
    if (!gbMissingNIB) {
      WriteDbg("No movie player on this system: cinematics are skipped");
    }
    gbMissingNIB = true;
    mReady = false;
    return;
  }
  ShowCursor(true);
  view->Show();
  ShowGameWindow(false);
  gbFlashPlaying = true;
  mMovieURL = AsFileURL(GetAssetsFolder() + name.c_str());
}

TFlashHostData::~TFlashHostData()
{
  if (!mReady) {
    RemoveFiles();
    return;
  }
  if (TWindowManager* manager = Manager()) {
    manager->SetMoviePlaying(false);
  }
  ShowCursor(false);
  DrawBlackFrame();
  DrawBlackFrame();
  ShowGameWindow(true);
  GetMovieView()->Hide();
  gbFlashPlaying = false;
  RemoveFiles();
}

void TFlashHostData::RemoveFiles()
{
  for (std::string* path : {&mPlayerPath, &mStringsPath, &mEndPagePath}) {
    if (!path->empty()) {
      std::remove(path->c_str());
      path->clear();
    }
  }
}

bool TFlashHostData::Start(bool loop, bool translate, bool allowInput)
{
  if (!mReady) {
    return false;
  }
  mLoop = loop;
  mTranslate = translate;
  mAllowInput = allowInput;
  // A second start replaces the files of the first.
  RemoveFiles();

  unsigned char player[kSwfDataSize];
  std::memcpy(player, _kSwfData, kSwfDataSize);
  if (Contains(mMovieURL, "outro.swf") || Contains(mMovieURL, "intro.swf")) {
    player[kSwfFrameRateOffset] = 12;
  }
  mPlayerPath = MakeTempFile(".swf", player, kSwfDataSize);

  if (translate) {
    std::string strings;
    TPlatform* platform = TPlatform::GetInstance();
    if (TStringTable* table = platform ? platform->GetStringTable() : nullptr) {
      std::list<str> labels;
      table->GetFlashStrings(labels);
      for (const str& label : labels) {
        const bool whole = std::strncmp(label.c_str(), "flash", 5) == 0;
        const str key = whole ? label : label.substr(6);
        const str text = table->GetString(label, "", "", "", "", "");
        strings += key.c_str();
        strings += "@@~~@@~~";
        strings += text.c_str();
        strings += "@@~~@@~~";
      }
    }
    mStringsPath = MakeTempFile(".txt", strings.data(), strings.size());
  }
  mEndPagePath = MakeTempFile(".html", kEndPage, sizeof(kEndPage) - 1);

  unsigned width = 800, height = 600;
  if (TPlatform* platform = TPlatform::GetInstance()) {
    unsigned displayWidth = 0, displayHeight = 0;
    platform->GetDisplay(&displayWidth, &displayHeight, nullptr);
    if (displayWidth && displayHeight) {
      width = displayWidth;
      height = displayHeight;
    }
  }
  if (TWindowManager* manager = Manager()) {
    manager->SetMoviePlaying(true);
  }

  // Each address is a parameter value first and an attribute value second: both
  // encodings apply, so no path can end the value early or break the page.
  const std::string stringsURL = mStringsPath.empty() ? std::string("file://") : AsFileURL(mStringsPath);
  const std::string flashVars =
      "strings=" + EncodeParameter(stringsURL) + "&swf=" + EncodeParameter(mMovieURL) +
      "&endurl=" + EncodeParameter(mEndPagePath.empty() ? std::string() : AsFileURL(mEndPagePath));
  const std::string playerURL = mPlayerPath.empty() ? std::string() : AsFileURL(mPlayerPath);
  std::string page = "<html><body bgcolor=\"#000000\" style=\"margin: 0px\">";
  page += "<object name=\"flash\" data=\"" + EscapeHTML(playerURL) +
          "\" type=\"application/x-shockwave-flash\" border=\"0\" width=\"" + std::to_string(width) + "\" height=\"" +
          std::to_string(height) + "\" loop=\"" + (loop ? "true" : "false") + "\">";
  page += "<param name=\"flashvars\" value=\"" + EscapeHTML(flashVars) + "\">";
  page += "</object></body></html>";

  IWebMovieView* view = GetMovieView();
  view->LoadHTML(page);
  mStartLocation = view->Location();
  return true;
}

bool TFlashHostData::IsPlaying()
{
  if (!mReady) {
    return false;
  }
  const std::string location = GetMovieView()->Location();
  const bool atEnd =
      !mEndPagePath.empty() && (Contains(location, mEndPagePath) || Contains(location, AsFileURL(mEndPagePath)));
  if (atEnd && !Contains(location, "applewebdata")) {
    return false;
  }
  ShowCursor(true);
  GetMovieView()->Update();
  return true;
}

TFlashHost::TFlashHost(char const* movieName) : mName(movieName ? movieName : ""), mData(nullptr)
{
  mData = new TFlashHostData(mName);
}

TFlashHost::~TFlashHost()
{
  delete mData;
}

bool TFlashHost::Start(bool loop, bool translate, bool allowInput)
{
  return mData->Start(loop, translate, allowInput);
}

void TFlashHost::Stop()
{
  if (!mData->mReady) {
    return;
  }
  if (TWindowManager* manager = Manager()) {
    manager->SetMoviePlaying(false);
  }
}

bool TFlashHost::IsPlaying()
{
  return mData->IsPlaying();
}

bool TFlashHost::IsReady() const
{
  return mData->mReady;
}

const std::string& TFlashHost::GetPlayerPath() const
{
  return mData->mPlayerPath;
}

const std::string& TFlashHost::GetStringsPath() const
{
  return mData->mStringsPath;
}

const std::string& TFlashHost::GetEndPagePath() const
{
  return mData->mEndPagePath;
}

const std::string& TFlashHost::GetMovieURL() const
{
  return mData->mMovieURL;
}

IMovieHost* NewFlashHost(const str& file)
{
  return new TFlashHost(file.c_str());
}
