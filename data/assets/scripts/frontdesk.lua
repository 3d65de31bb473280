-- frontdesk: the windows of the front-desk dialog (built into the modal window that
-- mainloop.lua pushes).

local kFont = "fonts/default.mvec"
local kLight = Color( 240, 230, 200 )
local kGold = Color( 214, 180, 90 )

MakeDialog
{
  Bitmap { name = "background", x = 0, y = 0, image = "images/demo/background.png" },
  Text { name = "title", x = 40, y = 28, w = 720, h = 44, label = "demo_title",
         font = { kFont, 32, kGold } },
  Bitmap { name = "emblem", x = 48, y = 110, image = "images/demo/emblem.png" },
  Text { name = "body", x = 200, y = 110, w = 560, h = 60, label = "demo_body",
         font = { kFont, 18, kLight } },
  Text { name = "namelabel", x = 200, y = 196, w = 140, h = 32, label = "demo_name",
         font = { kFont, 18, kLight } },
  TextEdit { name = "visitor", x = 340, y = 192, w = 300, h = 32, label = "", length = 24,
             utf8 = true, font = { kFont, 20, Color( 255, 255, 255 ) } },
  Text { name = "lamplabel", x = 200, y = 256, w = 140, h = 32, label = "demo_lamp",
         font = { kFont, 18, kLight } },
  Slider { name = "lamp", x = 340, y = 254, w = 300, h = 24, hslider = true,
           railtop = "images/demo/rail_end.png", railmid = "images/demo/rail_mid.png",
           railbot = "images/demo/rail_end.png", sliderimage = "images/demo/thumb.png",
           sliderrollimage = "images/demo/thumb_over.png", value = 0.5 },
  Text { name = "status", x = 200, y = 320, w = 560, h = 32, label = "demo_ready",
         font = { kFont, 20, kGold } },
  Button { name = "greet", x = 200, y = 420, type = kPush, default = true,
           graphics = { "images/demo/button_up.png", "images/demo/button_down.png",
                        "images/demo/button_over.png" },
           command = function() DemoGreet() end,
           Text { name = "label", x = 0, y = 8, w = 180, h = 30, label = "demo_greet", flags = kHAlignCenter,
                  font = { kFont, 20, kLight } } },
  Button { name = "clear", x = 420, y = 420, type = kPush, cancel = true,
           graphics = { "images/demo/button_up.png", "images/demo/button_down.png",
                        "images/demo/button_over.png" },
           command = function() DemoClear() end,
           Text { name = "label", x = 0, y = 8, w = 180, h = 30, label = "demo_clear", flags = kHAlignCenter,
                  font = { kFont, 20, kLight } } },
}
