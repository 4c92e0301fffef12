extends Control

# Plays a ROM through a libretro core:
#   godot --path demo -- --core=<core library> --rom=<game file> [--frames=N]
# With --frames=N it runs N frames, writes the save RAM and quits (exit code 1
# when the core or the game did not load).

# libretro joypad button ids
const RETRO_B := 0
const RETRO_Y := 1
const RETRO_SELECT := 2
const RETRO_START := 3
const RETRO_UP := 4
const RETRO_DOWN := 5
const RETRO_LEFT := 6
const RETRO_RIGHT := 7
const RETRO_A := 8
const RETRO_X := 9
const RETRO_L := 10
const RETRO_R := 11
const RETRO_L2 := 12
const RETRO_R2 := 13
const RETRO_L3 := 14
const RETRO_R3 := 15
const BUTTON_COUNT := 16

# Physical keys, so the layout is the same on every keyboard.
const KEY_BUTTONS := {
	KEY_Z: RETRO_B,
	KEY_A: RETRO_Y,
	KEY_BACKSPACE: RETRO_SELECT,
	KEY_ENTER: RETRO_START,
	KEY_UP: RETRO_UP,
	KEY_DOWN: RETRO_DOWN,
	KEY_LEFT: RETRO_LEFT,
	KEY_RIGHT: RETRO_RIGHT,
	KEY_X: RETRO_A,
	KEY_S: RETRO_X,
	KEY_Q: RETRO_L,
	KEY_W: RETRO_R,
	KEY_1: RETRO_L2,
	KEY_2: RETRO_R2,
	KEY_3: RETRO_L3,
	KEY_4: RETRO_R3,
}

# Godot names pad buttons by position (A = bottom); the RetroPad's B is bottom.
const JOY_BUTTONS := {
	JOY_BUTTON_A: RETRO_B,
	JOY_BUTTON_X: RETRO_Y,
	JOY_BUTTON_BACK: RETRO_SELECT,
	JOY_BUTTON_START: RETRO_START,
	JOY_BUTTON_DPAD_UP: RETRO_UP,
	JOY_BUTTON_DPAD_DOWN: RETRO_DOWN,
	JOY_BUTTON_DPAD_LEFT: RETRO_LEFT,
	JOY_BUTTON_DPAD_RIGHT: RETRO_RIGHT,
	JOY_BUTTON_B: RETRO_A,
	JOY_BUTTON_Y: RETRO_X,
	JOY_BUTTON_LEFT_SHOULDER: RETRO_L,
	JOY_BUTTON_RIGHT_SHOULDER: RETRO_R,
	JOY_BUTTON_LEFT_STICK: RETRO_L3,
	JOY_BUTTON_RIGHT_STICK: RETRO_R3,
}
const AXIS_PRESSED := 0.5

# Seconds of sound the generator holds, and the most that may wait beyond it:
# enough to ride out a late frame, little enough to stay in sync.
const AUDIO_BUFFER_SECONDS := 0.1
const MAX_AUDIO_BACKLOG_SECONDS := 0.1
# After a stall the game catches up by at most this many frames, then drops time.
const MAX_FRAMES_PER_TICK := 4

@onready var screen: TextureRect = $Screen
@onready var message: Label = $Message
@onready var speaker: AudioStreamPlayer = $Speaker

var player = null # a LibretroPlayer, created once the extension is known to be loaded
var playback: AudioStreamGeneratorPlayback = null
var pending_audio := PackedVector2Array()
var held := PackedByteArray()
var frame_time := 1.0 / 60.0
var elapsed := 0.0
var frame_limit := -1
var frames_run := 0
var state_path := ""


func _ready() -> void:
	get_tree().auto_accept_quit = false
	held.resize(BUTTON_COUNT)
	screen.texture_filter = CanvasItem.TEXTURE_FILTER_NEAREST
	screen.expand_mode = TextureRect.EXPAND_IGNORE_SIZE
	screen.stretch_mode = TextureRect.STRETCH_SCALE

	var args := _parse_args(OS.get_cmdline_user_args())
	var frames_text: String = args.get("frames", "-1")
	frame_limit = frames_text.to_int()
	var core_path: String = args.get("core", "")
	var rom_path: String = args.get("rom", "")

	if not ClassDB.class_exists("LibretroPlayer"):
		_fail("A extensao tovarune nao foi carregada.")
		return
	player = ClassDB.instantiate("LibretroPlayer")
	add_child(player)
	if core_path.is_empty() or rom_path.is_empty():
		_fail("Uso: godot --path demo -- --core=<core> --rom=<rom> [--frames=N]")
		return

	# The node takes operating-system paths, not user:// ones.
	var save_dir := ProjectSettings.globalize_path("user://saves")
	player.set_paths(ProjectSettings.globalize_path("user://system"), save_dir)
	if not player.load_core(core_path) or not player.load_game(rom_path):
		_fail(player.get_last_error())
		return

	state_path = save_dir.path_join(rom_path.get_file().get_basename() + ".state")
	frame_time = 1.0 / player.get_fps()
	_start_audio(player.get_sample_rate())
	message.text = "F5: salvar estado   F8: carregar estado"


func _parse_args(args: PackedStringArray) -> Dictionary:
	var options := {}
	for arg in args:
		for option in ["core", "rom", "frames"]:
			var prefix: String = "--%s=" % option
			if arg.begins_with(prefix):
				options[option] = arg.substr(prefix.length())
	return options


func _fail(text: String) -> void:
	message.text = text
	if frame_limit >= 0:
		_quit(1)


func _start_audio(sample_rate: float) -> void:
	var generator := AudioStreamGenerator.new()
	if "mix_rate_mode" in generator:
		generator.set("mix_rate_mode", 2) # MIX_RATE_CUSTOM: play at the core's own rate
	generator.mix_rate = sample_rate
	generator.buffer_length = AUDIO_BUFFER_SECONDS
	speaker.stream = generator
	speaker.play()
	playback = speaker.get_stream_playback() as AudioStreamGeneratorPlayback


func _process(delta: float) -> void:
	if player == null or not player.is_game_loaded():
		return
	_update_buttons()

	elapsed = minf(elapsed + delta, frame_time * MAX_FRAMES_PER_TICK)
	while elapsed >= frame_time:
		elapsed -= frame_time
		player.run_frame()
		frames_run += 1
		if frame_limit >= 0 and frames_run >= frame_limit:
			_quit(0)
			return

	_show(player.get_video_texture())
	_feed_audio()


func _show(texture: ImageTexture) -> void:
	# The texture object changes when the frame size does: fetched every tick.
	screen.texture = texture
	if texture == null:
		return
	var frame_size := Vector2(texture.get_width(), texture.get_height())
	var area := get_viewport_rect().size
	var factor := maxf(1.0, floorf(minf(area.x / frame_size.x, area.y / frame_size.y)))
	screen.size = frame_size * factor
	screen.position = ((area - screen.size) / 2.0).floor()


func _feed_audio() -> void:
	if playback == null:
		return
	while true:
		var frames: PackedVector2Array = player.pop_audio_frames()
		if frames.is_empty():
			break
		pending_audio.append_array(frames)
	# Sound that cannot be played soon is dropped, oldest first, so that it
	# never falls behind the picture.
	var limit := int(player.get_sample_rate() * MAX_AUDIO_BACKLOG_SECONDS)
	if pending_audio.size() > limit:
		pending_audio = pending_audio.slice(pending_audio.size() - limit)
	var count := mini(playback.get_frames_available(), pending_audio.size())
	if count > 0:
		playback.push_buffer(pending_audio.slice(0, count))
		pending_audio = pending_audio.slice(count)


func _update_buttons() -> void:
	var pressed := PackedByteArray()
	pressed.resize(BUTTON_COUNT)
	for key in KEY_BUTTONS:
		if Input.is_physical_key_pressed(key):
			pressed[KEY_BUTTONS[key]] = 1
	for device in Input.get_connected_joypads():
		for button in JOY_BUTTONS:
			if Input.is_joy_button_pressed(device, button):
				pressed[JOY_BUTTONS[button]] = 1
		if Input.get_joy_axis(device, JOY_AXIS_TRIGGER_LEFT) > AXIS_PRESSED:
			pressed[RETRO_L2] = 1
		if Input.get_joy_axis(device, JOY_AXIS_TRIGGER_RIGHT) > AXIS_PRESSED:
			pressed[RETRO_R2] = 1
		var x := Input.get_joy_axis(device, JOY_AXIS_LEFT_X)
		var y := Input.get_joy_axis(device, JOY_AXIS_LEFT_Y)
		if x < -AXIS_PRESSED:
			pressed[RETRO_LEFT] = 1
		if x > AXIS_PRESSED:
			pressed[RETRO_RIGHT] = 1
		if y < -AXIS_PRESSED:
			pressed[RETRO_UP] = 1
		if y > AXIS_PRESSED:
			pressed[RETRO_DOWN] = 1
	for id in BUTTON_COUNT:
		if pressed[id] != held[id]:
			held[id] = pressed[id]
			player.set_button(id, pressed[id] == 1)


func _unhandled_input(event: InputEvent) -> void:
	var key := event as InputEventKey
	if key == null or not key.pressed or key.echo:
		return
	if player == null or not player.is_game_loaded():
		return
	if key.physical_keycode == KEY_F5:
		var saved: bool = player.save_state(state_path)
		message.text = "Estado salvo." if saved else "Nao foi possivel salvar o estado."
	elif key.physical_keycode == KEY_F8:
		var loaded: bool = player.load_state(state_path)
		message.text = "Estado carregado." if loaded else "Nao foi possivel carregar o estado."


func _notification(what: int) -> void:
	if what == NOTIFICATION_WM_CLOSE_REQUEST:
		_quit(0)


func _quit(exit_code: int) -> void:
	# Unloading writes the game's save RAM before the engine goes.
	if player != null:
		player.unload_game()
		player.unload_core()
	get_tree().quit(exit_code)
