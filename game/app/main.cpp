// main: the program's entry point: the game fills the engine's configuration, then the
// engine runs the game's start function until the player quits.
#include "platform/platform.h"
#include "app/gamemain.h"
#include "app/vellumkitinit.h"
#include "platform/platformdata.h"

int main(int argc, char** argv)
{
  VellumkitInit();
  return QuorvantExec(argc, argv, Main, false);
}
