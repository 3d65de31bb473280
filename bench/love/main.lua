-- The other engine's side of bench/love_sprites.sh: frames of N 64 x 64 sprites of one image at
-- the positions graphics_bench uses, each cleared, drawn, presented and finished with glFinish,
-- printing the mean wall and CPU time of a frame (CPU of the whole program, its driver's
-- threads too); and of startup_bench: its first frame at launch.
-- Arguments: the sprite's PNG file, then the sprite counts; or "--first-frame".
local ffi = require("ffi")
ffi.cdef [[
void* SDL_GL_GetProcAddress(const char* name);
typedef struct { long tv_sec; long tv_nsec; } bench_timespec;
int clock_gettime(int clock, bench_timespec* time);
]]

local kProcessCpuClock = 2
local finish = ffi.cast("void (*)(void)", ffi.C.SDL_GL_GetProcAddress("glFinish"))
local cpuTime = ffi.new("bench_timespec")

local function cpuSeconds()
  ffi.C.clock_gettime(kProcessCpuClock, cpuTime)
  return tonumber(cpuTime.tv_sec) + tonumber(cpuTime.tv_nsec) * 1e-9
end

local function loadImage(path)
  local file = assert(io.open(path, "rb"), "ERROR: cannot read " .. tostring(path))
  local bytes = file:read("*a")
  file:close()
  return love.graphics.newImage(love.filesystem.newFileData(bytes, "sprite.png"))
end

local function frame(image, count)
  love.graphics.origin()
  love.graphics.clear(0, 0, 0, 1)
  for i = 0, count - 1 do
    love.graphics.draw(image, 32 + (i * 37) % 736 - 32, 32 + (i * 53) % 536 - 32)
  end
  love.graphics.present()
  finish()
end

-- Frames until about a second has gone, after a few unmeasured ones.
local function measure(image, count)
  for _ = 1, 10 do frame(image, count) end
  local frames, wallStart, cpuStart = 0, love.timer.getTime(), cpuSeconds()
  repeat
    frame(image, count)
    frames = frames + 1
  until love.timer.getTime() - wallStart > 1.0 and frames >= 20
  local wall = (love.timer.getTime() - wallStart) / frames
  local cpu = (cpuSeconds() - cpuStart) / frames
  print(string.format("love_sprites/%d wall_ms %.4f cpu_ms %.4f frames %d", count, wall * 1e3, cpu * 1e3, frames))
end

-- The first frame: the window cleared, presented and finished; the line tells the bench, which
-- then reads the program's times and closes its input, the cue to end.
local function firstFrame()
  love.graphics.origin()
  love.graphics.clear(0, 0, 0, 1)
  love.graphics.present()
  finish()
  io.stdout:write("love: first frame presented\n")
  io.stdout:flush()
  io.read("*l")
end

function love.run()
  local args = love.arg.parseGameArguments(arg)
  if args[1] == "--first-frame" then
    firstFrame()
    return function() return 0 end
  end
  local image = loadImage(args[1])
  for index = 2, #args do
    measure(image, tonumber(args[index]))
  end
  return function() return 0 end
end
