-- flashwindow: the cinematic's dialog, opened by the game over its own layer
-- ("maingamewindow"): one window over the whole screen that plays the movie.
MakeDialog{
  FlashWindow{ name = "flashwindow", x = 0, y = 0, w = 800, h = 600 },
}
