// platformfacade: the facade's start-up over the platform object, its display calls and
// its teardown; talks to the configuration, file system, string table and window manager.
#include <cstdlib>

#include "core/app/gamestate.h"
#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/foundation/xmlnode.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/renderer.h"
#include "core/graphics/textgraphic.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "platform/flashhost.h"
#include "core/foundation/debug.h"
#include "platform/display/event.h"
#include "platform/folders.h"
#include "platform/online/computerid.h"
#include "platform/platformdata.h"
#include "platform/platformservices.h"

extern const unsigned char kSystemCursorPng[];
extern const size_t kSystemCursorPngSize;

namespace {

const char kSettingsFile[] = "::assets/settings.xml";

// Every child of the top-level "settings" element sets the key of its name; a later
// duplicate wins. A damaged file sets nothing.
void ApplySettingsFile()
{
  TXmlNode document;
  if (!document.ParseFile(kSettingsFile)) {
    WriteDbg("ERROR: Settings file %s not used; the defaults stay", kSettingsFile);
    return;
  }
  TXmlNode* settings = document.GetChild("settings");
  if (!settings) {
    return;
  }
  settings->ResetChildren();
  str name;
  TXmlNode* child = nullptr;
  while (settings->GetNextChild(&name, &child)) {
    if (child) {
      TPlatform::SetConfig(child->GetName(), child->GetContent());
    }
  }
}

bool IsStringFile(const str& name, const str& prefix)
{
  // Names come as "user:strings_fr.xml"; only the file's own name counts.
  str local = name.substr(prefix.length());
  unsigned slash = local.find('/', 4);
  str leaf = slash == str::npos ? local : local.substr(slash + 1);
  return leaf.find("string") == 0 && leaf.find(".xml") != str::npos;
}

void MergeStringFiles(TStringTable* table, const str& prefix)
{
  str name;
  while (TFile::GetNextFile(prefix, &name, false)) {
    if (IsStringFile(name, prefix)) {
      table->MergeStringTable(name);
    }
  }
}

} // namespace

TPlatform::TPlatform(TPlatformData* data) : mEventQueue(new TEventQueue)
{
  if (mPlatform) {
    WriteDbg("ERROR: TPlatform created while another one exists");
  }
  mPlatform = this;
  delete mHost;
  mHost = new TPlatformHost(this);
  SetConfig("memorymax", "100000000");
  SetConfig("texturememorymax", "100000000");

  // "-url=" narrows the search to the address, so "--stringtest" after it is not seen.
  str options = data ? data->mCommandLine : str();
  unsigned url = options.find("-url=");
  if (url != str::npos) {
    options = options.substr(url + 5);
    unsigned blank = options.find(' ');
    if (blank != str::npos) {
      options = options.substr(0, int(blank));
    }
    SetConfig(kDownloadURL, options);
  }
  if (options.find("--stringtest") != str::npos) {
    SetConfig("stringtest", "1");
  }
  SetConfig("utf8modeinit", GetConfig(kUTF8Mode, ""));
  mData = data;
  if (!mData) {
    return;
  }

  uint32_t seed[4];
  for (uint32_t& word : seed) {
    uint32_t first = uint32_t(std::rand());
    uint32_t second = uint32_t(std::rand());
    word = first * second * 8u + (uint32_t(std::rand()) >> 3);
  }
  mData->SeedArray(seed, 4);

  // The window manager keeps the script; the script lives among the idle tasks.
  TWindowScript* script = new TWindowScript();
  mData->mWindowManager->AttachWindowScript(script);
  TWindowScript::SetMovieHostFactory(&NewFlashHost);

  SetConfig(kComputerId, qvGetComputerId());
  ApplySettingsFile();

  TFile::mUserDir = mData->mUserPath;
  TFile::mCommonDir = mData->mCommonPath;
  // Looked up when a "desktop:" file is first named: most runs never need it.
  TFile::mDesktopDir = str();
  TFile::SetDesktopResolver(&GetDesktopFolder);
  TFile::SetRegisterFilesHook(&TPlatform::RegisterFiles);
  TFile::SetSkipUserFolders(GetConfig("activex", "") == "1");
  TFile::ScanForResources();

  if (mData->mStringTable->LoadStringTable("strings.xml")) {
    mData->mWindowManager->EnableStringTable(true);
  }
  MergeStringFiles(mData->mStringTable, "user:");
  MergeStringFiles(mData->mStringTable, "common:");

  mData->Init();
  const str product = mData->GetProductName();
  const str version = mData->GetVersion();
  WriteDbg("%s, version %s.", product.c_str(), version.c_str());
  SetConfig(kGameName, product);
  SetConfig(kGameVersion, version);
  RegisterSoundSources();
  if (TGameState* store = TGameState::GetInstance()) {
    store->BindLua(script->GetState());
  }

  SetEventHost(mData->NewEventHost());
  // Text input: "TarvishUnicode" forces the Latin-1 mode; otherwise "utf8mode" turns
  // on code-point characters.
  const str tarvish = GetConfig("TarvishUnicode", "");
  const bool textMode = tarvish.length() != 0 || IsEnabled(kUTF8Mode);
  gbTarvishUnicode = textMode && tarvish.length() != 0;
  gbQVUnicode = textMode && IsEnabled(kUTF8Mode);
}

void TPlatform::TearDownData()
{
  // Windows go first; nothing below may reach the window manager once it is gone.
  delete mData->mWindowManager;
  mData->mWindowManager = nullptr;
  GetTaskList()->DestroyAll();
  ShutDownSound();
  TQvMiniVecDraw::ShutDown();
  TRenderer::ShutDown();
  if (mPlatform == this) {
    mPlatform = nullptr;
  }
  delete TGameState::GetInstance();
  delete mData->mStringTable;
  mData->mStringTable = nullptr;
  delete mData->mAssetManager;
  mData->mAssetManager = nullptr;
  delete mData;
  mData = nullptr;
  TFontData::ShutDown();
  ClearConfig();
  TFile::SetRegisterFilesHook(nullptr);
  TFile::ShutDownFileSystem();
}

void TPlatform::SetDisplay(unsigned width, unsigned height, bool fullscreen)
{
  if (!mData) {
    return;
  }
  TWindowManager* manager = mData->mWindowManager;
  if (manager && !manager->GetScreen()) {
    manager->SetScreen(new TScreen);
  }
  mData->SetDisplay(width, height, fullscreen);
  // The screen is sized after the back end knows the display; it would take the
  // back end's earlier viewport otherwise.
  TRenderer* renderer = TRenderer::GetInstance();
  if (manager && manager->GetScreen()) {
    TScreen* screen = manager->GetScreen();
    screen->SetWindowSize(width, height);
    // A capture texture must match the screen window.
    renderer->SetCaptureSize(unsigned(screen->GetWindowWidth()), unsigned(screen->GetWindowHeight()));
  }
  renderer->PopClippingRectangle();
  renderer->PushClippingRectangle(TURect(0, 0, width, height));
}

void TPlatform::GetDisplay(unsigned* width, unsigned* height, bool* fullscreen)
{
  if (mData) {
    mData->GetDisplay(width, height, fullscreen);
    return;
  }
  if (width)
    *width = 0;
  if (height)
    *height = 0;
  if (fullscreen)
    *fullscreen = false;
}

bool TPlatform::SetFullscreen(bool fullscreen)
{
  return mData ? mData->SetFullscreen(fullscreen) : true;
}

bool TPlatform::IsFullscreen() const
{
  return mData && mData->IsFullscreen();
}

void TPlatform::SetWindowTitle(str title)
{
  if (mData) {
    mData->SetWindowTitle(title.c_str());
  }
}

void TPlatform::CreateApplicationWindow()
{
  // The window itself comes with the first SetDisplay; the request only wakes the loop.
  mEventQueue->QueueEvent(TEvent());
}

void TPlatform::SetCursor(boost::shared_ptr<TTexture> image, TPoint hotSpot, bool flag)
{
  if (mData) {
    mData->SetCursor(image, hotSpot, flag);
  }
}

void TPlatform::ShowCursor(bool show)
{
  if (mData) {
    mData->ShowCursor(show);
  }
}

bool TPlatform::OpenBrowser(char const* url)
{
  return mData && mData->OpenBrowser(url);
}

int TPlatform::GetBrowserStatus() const
{
  return mData ? mData->GetBrowserStatus() : 2;
}

TAssetManager* TPlatform::GetAssetManager() const
{
  return mData ? mData->mAssetManager : TAssetManager::GetInstance();
}

TStringTable* TPlatform::GetStringTable() const
{
  return mData ? mData->mStringTable : nullptr;
}

void TPlatform::RegisterFiles()
{
  if (!TFile::Exists("__systemcursor__.png")) {
    TFile::AddMemoryFile("__systemcursor__.png", const_cast<unsigned char*>(kSystemCursorPng),
                         unsigned(kSystemCursorPngSize));
  }
}

uint32_t TPlatform::Rand()
{
  static TRandom fallback;
  return mData ? mData->Rand32() : fallback.Rand32();
}
