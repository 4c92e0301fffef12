@icon("res://addons/tovarune/icon.svg")
class_name LibretroScreen
extends Control
## A screen that plays a console game through a libretro core, with no frame loop to write.
##
## Set [member core_path] and [member rom_path] and add the screen to the tree: it loads the game,
## runs it at the core's own frame rate, shows the picture centred at its proportions with nearest
## filtering, plays the sound, and reads the RetroPad from the project's InputMap. Battery saves are
## written when the screen leaves the tree.
## [codeblock]
## var screen := LibretroScreen.new()
## screen.core_path = "/usr/lib/x86_64-linux-gnu/libretro/gambatte_libretro.so"
## screen.rom_path = "/home/me/roms/game.gb"
## add_child(screen)
## [/codeblock]
## The RetroPad's buttons are the actions in [constant ACTIONS]; those missing from the project are
## added with keyboard and gamepad defaults, so players can remap them like any other action.
## [br][br]
## The screen fills its parent; inside a [SubViewport] it fills the viewport, whose
## [ViewportTexture] can cover a 3D screen.
## [br][br]
## [b]One screen plays at a time:[/b] a core calls back to the player that loaded a core last, so a
## screen that loads a game first stops the one that was playing (its battery save is written).
## Everything runs on the main thread, in [method Node._process].

## Emitted when [method load_game] has loaded the core and the game.
signal game_loaded
## Emitted when [method load_game] fails, with the reason as [method LibretroPlayer.get_last_error]
## gives it. Nothing stays loaded.
signal load_failed(message: String)

## The InputMap actions of the RetroPad buttons, indexed by libretro joypad id (0 is B, 8 is A).
const ACTIONS: Array[StringName] = [
	&"tovarune_b", &"tovarune_y", &"tovarune_select", &"tovarune_start",
	&"tovarune_up", &"tovarune_down", &"tovarune_left", &"tovarune_right",
	&"tovarune_a", &"tovarune_x", &"tovarune_l", &"tovarune_r",
	&"tovarune_l2", &"tovarune_r2", &"tovarune_l3", &"tovarune_r3",
]
## After a stall, at most this many frames run in one tick; the rest of the lost time is dropped.
const MAX_CATCH_UP_FRAMES := 4
## Seconds of sound held ahead of the speaker: the most the sound can lag behind the picture.
const AUDIO_BUFFER_SECONDS := 0.1

## The libretro core: an operating-system path, or a [code]user://[/code] one.
@export_global_file("*.dll", "*.so") var core_path := ""
## The game file: an operating-system path, or a [code]user://[/code] one.
@export_global_file var rom_path := ""
## Loads the game when the screen is ready. Without it, call [method load_game].
@export var load_on_ready := true
## Where the core looks for system files (BIOS images and the like).
@export var system_directory := "user://system"
## Where battery saves go, and save states by default.
@export var save_directory := "user://saves"
## Scales the picture by whole multiples only (when it fits at least once).
@export var integer_scaling := false
## Reads the RetroPad from the InputMap. When off, every button is released.
@export var input_enabled := true
## The colour around the picture.
@export var background := Color.BLACK
## The audio bus that plays the game's sound.
@export var audio_bus := &"Master"

## The player that runs the core: for core options, reset and the rest of its methods.
var player := LibretroPlayer.new()

# The screen whose core the callbacks serve.
static var _playing: LibretroScreen = null

var _speaker := AudioStreamPlayer.new()
var _playback: AudioStreamGeneratorPlayback = null
var _frame_time := 1.0 / 60.0
var _elapsed := 0.0


func _init() -> void:
	set_anchors_preset(PRESET_FULL_RECT)
	texture_filter = TEXTURE_FILTER_NEAREST
	mouse_filter = MOUSE_FILTER_IGNORE
	add_child(player, false, INTERNAL_MODE_FRONT)
	add_child(_speaker, false, INTERNAL_MODE_FRONT)


func _ready() -> void:
	add_input_actions()
	if load_on_ready:
		load_game()


func _process(delta: float) -> void:
	advance(delta)


func _exit_tree() -> void:
	unload_game()


func _draw() -> void:
	draw_rect(Rect2(Vector2.ZERO, size), background)
	var texture := player.get_video_texture()
	if texture != null:
		draw_texture_rect(texture, get_picture_rect(), false)


## Adds the RetroPad's [constant ACTIONS] to the InputMap with their default keys, pad buttons and
## sticks, leaving alone those the project already has. Screens call it when they are ready; call it
## earlier to show the actions in a remapping menu.
static func add_input_actions() -> void:
	var defaults := _default_events()
	for id in ACTIONS.size():
		if InputMap.has_action(ACTIONS[id]):
			continue
		InputMap.add_action(ACTIONS[id], 0.5)
		for event: InputEvent in defaults[id]:
			InputMap.action_add_event(ACTIONS[id], event)


## Loads the core at [member core_path] and the game at [member rom_path], after stopping whatever
## this screen or another one was playing. Emits [signal game_loaded] and returns [code]true[/code],
## or emits [signal load_failed] and returns [code]false[/code].
func load_game() -> bool:
	unload_game()
	if is_instance_valid(_playing):
		_playing.unload_game()
	player.set_paths(_os_path(system_directory), _os_path(save_directory))
	if not player.load_core(_os_path(core_path)) or not player.load_game(_os_path(rom_path)):
		var message := player.get_last_error()
		player.unload_core()
		load_failed.emit(message)
		return false
	_playing = self
	_frame_time = 1.0 / player.get_fps()
	_elapsed = 0.0
	_start_audio()
	game_loaded.emit()
	return true


## Writes the game's battery save and unloads the game and the core. Leaving the tree does it too.
func unload_game() -> void:
	if _playing == self:
		_playing = null
	player.unload_core()
	_speaker.stop()
	_playback = null
	queue_redraw()


## Returns [code]true[/code] while a game is loaded.
func is_playing() -> bool:
	return player.is_game_loaded()


## Runs the frames that [param delta] more seconds of play are worth at the core's frame rate (at
## most [constant MAX_CATCH_UP_FRAMES]), then queues their sound and shows the last picture. Returns
## how many frames ran. [method Node._process] calls it; with processing off, call it yourself.
func advance(delta: float) -> int:
	if not player.is_game_loaded():
		return 0
	_elapsed += delta
	var frames := mini(floori(_elapsed / _frame_time), MAX_CATCH_UP_FRAMES)
	_elapsed = 0.0 if frames == MAX_CATCH_UP_FRAMES else _elapsed - frames * _frame_time
	if frames == 0:
		return 0
	_read_buttons()
	for _frame in frames:
		player.run_frame()
	_feed_audio()
	queue_redraw()
	return frames


## Saves a snapshot of the game to [param path], by default
## [code]<save_directory>/<ROM name>.state[/code]. Returns [code]false[/code] when no game is loaded
## or the file cannot be written.
func save_state(path := "") -> bool:
	return player.save_state(_state_path(path))


## Restores the game from a snapshot that [method save_state] wrote to [param path] (the same
## default). Returns [code]false[/code] when no game is loaded or the snapshot is missing or refused.
func load_state(path := "") -> bool:
	return player.load_state(_state_path(path))


## Returns where the picture goes inside the screen: as large as fits, centred, at the picture's
## proportions. Empty before the first frame.
func get_picture_rect() -> Rect2:
	var texture := player.get_video_texture()
	if texture == null:
		return Rect2()
	var picture := _picture_size(texture)
	var factor := minf(size.x / picture.x, size.y / picture.y)
	if integer_scaling and factor >= 1.0:
		factor = floorf(factor)
	picture *= factor
	return Rect2(((size - picture) / 2.0).round(), picture)


# The picture's shape before scaling: square pixels, so the frame's own size.
func _picture_size(texture: Texture2D) -> Vector2:
	return Vector2(texture.get_size())


func _read_buttons() -> void:
	for id in ACTIONS.size():
		player.set_button(id, input_enabled and Input.is_action_pressed(ACTIONS[id]))


func _start_audio() -> void:
	var generator := AudioStreamGenerator.new()
	generator.mix_rate_mode = AudioStreamGenerator.MIX_RATE_CUSTOM
	generator.mix_rate = player.get_sample_rate()
	generator.buffer_length = AUDIO_BUFFER_SECONDS
	_speaker.stream = generator
	_speaker.bus = audio_bus
	if is_inside_tree():
		_speaker.play()
		_playback = _speaker.get_stream_playback() as AudioStreamGeneratorPlayback


func _feed_audio() -> void:
	var room := _playback.get_frames_available() if _playback != null else 0
	var sound := player.pop_audio_frames(room)
	if not sound.is_empty():
		_playback.push_buffer(sound)
	# Sound the speaker has no room for now would only add latency.
	while not player.pop_audio_frames().is_empty():
		pass


func _state_path(path: String) -> String:
	if path.is_empty():
		path = save_directory.path_join(rom_path.get_file().get_basename() + ".state")
	return _os_path(path)


static func _os_path(path: String) -> String:
	return ProjectSettings.globalize_path(path)


static func _default_events() -> Array:
	# Godot names pad buttons by position (A is the bottom one); the RetroPad's B is the bottom one.
	return [
		[_key(KEY_Z), _pad(JOY_BUTTON_A)],
		[_key(KEY_A), _pad(JOY_BUTTON_X)],
		[_key(KEY_BACKSPACE), _pad(JOY_BUTTON_BACK)],
		[_key(KEY_ENTER), _pad(JOY_BUTTON_START)],
		[_key(KEY_UP), _pad(JOY_BUTTON_DPAD_UP), _stick(JOY_AXIS_LEFT_Y, -1.0)],
		[_key(KEY_DOWN), _pad(JOY_BUTTON_DPAD_DOWN), _stick(JOY_AXIS_LEFT_Y, 1.0)],
		[_key(KEY_LEFT), _pad(JOY_BUTTON_DPAD_LEFT), _stick(JOY_AXIS_LEFT_X, -1.0)],
		[_key(KEY_RIGHT), _pad(JOY_BUTTON_DPAD_RIGHT), _stick(JOY_AXIS_LEFT_X, 1.0)],
		[_key(KEY_X), _pad(JOY_BUTTON_B)],
		[_key(KEY_S), _pad(JOY_BUTTON_Y)],
		[_key(KEY_Q), _pad(JOY_BUTTON_LEFT_SHOULDER)],
		[_key(KEY_W), _pad(JOY_BUTTON_RIGHT_SHOULDER)],
		[_key(KEY_1), _stick(JOY_AXIS_TRIGGER_LEFT, 1.0)],
		[_key(KEY_2), _stick(JOY_AXIS_TRIGGER_RIGHT, 1.0)],
		[_key(KEY_3), _pad(JOY_BUTTON_LEFT_STICK)],
		[_key(KEY_4), _pad(JOY_BUTTON_RIGHT_STICK)],
	]


# Physical keys, so the layout is the same on every keyboard.
static func _key(keycode: Key) -> InputEventKey:
	var event := InputEventKey.new()
	event.physical_keycode = keycode
	event.device = -1
	return event


static func _pad(button: JoyButton) -> InputEventJoypadButton:
	var event := InputEventJoypadButton.new()
	event.button_index = button
	event.device = -1
	return event


static func _stick(axis: JoyAxis, direction: float) -> InputEventJoypadMotion:
	var event := InputEventJoypadMotion.new()
	event.axis = axis
	event.axis_value = direction
	event.device = -1
	return event
