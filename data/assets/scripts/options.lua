-- options: the sound and music levels, full screen and sound off of the current detective;
-- the levels are heard at once and kept when the dialog closes with OK.

local function FullScreen()
  -- The box flips after this command; a refused switch must leave it as it was.
  if not ToggleFullScreen() then
    SetButtonToggleState( "fullscreen", not GetButtonToggleState( "fullscreen" ) )
  end
end

local function Accept()
  SaveVolumes()
  GameLog( "options saved" )
  CloseWindow()
end

MakeDialog
{
  OptionsWindow
  {
    name = "options", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( "options_title" ),
    ShellText { name = "soundlabel", x = 170, y = 170, w = 180, label = "options_sound" },
    ShellSlider { name = "sfxlevelslider", x = 360, y = 172, w = 260 },
    ShellText { name = "musiclabel", x = 170, y = 230, w = 180, label = "options_music" },
    ShellSlider { name = "musiclevelslider", x = 360, y = 232, w = 260 },
    ShellText { name = "fullscreenlabel", x = 170, y = 290, w = 180, label = "options_fullscreen" },
    ShellCheck { name = "fullscreen", x = 360, y = 288, command = FullScreen },
    ShellText { name = "mutelabel", x = 170, y = 345, w = 180, label = "options_mute" },
    ShellCheck { name = "mutebox", x = 360, y = 343, command = function() ToggleSoundMute() end },
    ShellButton { name = "ok", x = 290, y = 410, label = "button_ok", default = true, cancel = true,
                  command = Accept },
  }
}
GameLog( "options shown" )
