-- timermode: the choice between timed and relaxed play; pointing at a choice describes it.
-- The dialog returns "timed", "relaxed" or nothing.

MakeDialog
{
  TTimerMode
  {
    name = "timermode", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( "timer_title" ),
    ShellButton { kind = GButtonEx, name = "timeyesname", x = 170, y = 180, label = "timer_timed",
                  command = function() CloseWindow( "timed" ) end },
    ShellButton { kind = GButtonEx, name = "timenoname", x = 410, y = 180, label = "timer_relaxed",
                  command = function() CloseWindow( "relaxed" ) end },
    ShellText { name = "time_mode_txt", x = 170, y = 250, w = 460, h = 120, label = "timer_hint", size = 20,
                flags = kHAlignCenter + kVAlignTop },
    ShellButton { name = "back", x = 290, y = 410, label = "button_back", cancel = true,
                  command = function() CloseWindow() end },
  }
}
