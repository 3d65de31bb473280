// gamescenetestutil: the game controller's test bed with real scenes: scene files written
// into the throw-away resources folder over one pixel texture, a texture manager that reads
// them without a display, a recording renderer, and clicks that reach the screens as the
// game window hands them on.
#pragma once

#include <string>

#include "controller/loadingscreen.h"
#include "controller/titlescreen.h"
#include "controller/tutoriallayer.h"
#include "puzzles/metapuzzle.h"
#include "puzzles/suspectpuzzlechecklist.h"
#include "puzzles/suspectpuzzlesequence.h"
#include "search/searchscreen.h"
#include "support/gametestutil.h"
#include "support/scenetestutil.h"

class GameSceneTest : public GameTest
{
protected:
  void SetUp() override
  {
    GameTest::SetUp();
    // "block" is 40 x 40 pixels, solid all over.
    mSource.Add("block.png", 40, 40, [](unsigned, unsigned) { return 255u; });
    TTextureManager::Create()->SetSource(&mSource);
    WriteFile("scenes/res.xml", "<resources><textures><texture id='block' file='block.png'/></textures>"
                                "<images><image id='block' texture='block' x='0' y='0' w='40' h='40'/></images>"
                                "<empties><image id='box' x='0' y='0' w='200' h='20'/></empties></resources>");
  }
  void TearDown() override
  {
    GameTest::TearDown();
    TTextureManager::Destroy();
  }

  // The real screens in place of the stand-ins.
  void UseRealScreens()
  {
    gScreenFactory.Register("TSearchScreen", &CreateScreen<TSearchScreen>);
    gScreenFactory.Register("TMetaPuzzle", &CreateScreen<TMetaPuzzle>);
    gScreenFactory.Register("TSuspectPuzzleChecklist", &CreateScreen<TSuspectPuzzleChecklist>);
    gScreenFactory.Register("TStubSequence", &CreateScreen<TSuspectPuzzleSequence>);
    gScreenFactory.Register("TTitleScreen", &CreateScreen<TTitleScreen>);
    gScreenFactory.Register("TTutorialLayer", &CreateScreen<TTutorialLayer>);
  }
  // A scene file over the block texture; objects in single-quoted XML.
  void WriteScene(const std::string& file, const std::string& id, const std::string& objects)
  {
    mSandbox.WriteFile("assets/" + file, DoubleQuoted(("<scene id='" + id +
                                                       "'><resources id='scenes/res.xml'/>"
                                                       "<objects>" +
                                                       objects + "</objects></scene>")
                                                          .c_str()));
    TFile::ScanForResources();
  }
  void WriteFile(const std::string& file, const std::string& text)
  {
    mSandbox.WriteFile("assets/" + file, DoubleQuoted(text.c_str()));
    TFile::ScanForResources();
  }
  // A frame drawn (hit tests see what was drawn), then a click as the game window passes it.
  void Click(int x, int y)
  {
    TTheGame* game = Game();
    game->Draw();
    game->OnMouseDown(TPoint(x, y));
    game->OnMouseUp(TPoint(x, y));
  }
  // Ticks until no screen fades (at most a second of game time).
  void Settle()
  {
    for (int i = 0; i < 50 && Game()->GetCurrentScreen() && Game()->GetCurrentScreen()->IsFading(); ++i) {
      Tick();
    }
  }

  TPixelTextureSource mSource;
  TRecordingSceneRenderer mRenderer;
};
