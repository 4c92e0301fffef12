@icon("res://addons/tovarune/icon.svg")
class_name LibretroScreen
extends Control
## A screen that plays a console game through a libretro core, with no frame loop to write.
##
## Set [member core_path] and [member rom_path] and add the screen to the tree: it loads the game,
## runs it at the core's own frame rate, shows the picture centred at its proportions with nearest
## filtering, plays the sound, and reads the RetroPad from the project's InputMap. Battery saves are
## written when the screen leaves the tree for good (not when [method Node.reparent] moves it) or is
## freed.
## [codeblock]
## var screen := LibretroScreen.new()
## screen.core_path = "/usr/lib/x86_64-linux-gnu/libretro/gambatte_libretro.so"
## screen.rom_path = "/home/me/roms/game.gb"
## add_child(screen)
## [/codeblock]
## The RetroPad's buttons are the actions in [constant ACTIONS], a second player's those in
## [constant PLAYER_2_ACTIONS], and holding [constant REWIND_ACTION] steps the game back a few
## seconds. Those missing from the project are added with keyboard and gamepad defaults, so players
## can remap them like any other action.
## [br][br]
## The screen fills its parent; inside a [SubViewport] it fills the viewport, whose
## [ViewportTexture] can cover a 3D screen.
## [br][br]
## Every screen plays its own game, so several can play at once (up to 16 with a game loaded), even
## on the same core file and the same game: each keeps a battery save of its own (see
## [member save_name]). The frames run in [method Node._process] on the main thread, or on the
## [WorkerThreadPool] with [member run_on_worker_thread]; the sound plays from the screen, or from
## [member audio_player] (a cabinet in a 3D room, say).
## [br][br]
## Games that take a mouse, a light gun, a touch screen or a keyboard get them from the screen:
## [member port_devices] chooses the device of each of the core's ports. A click or a touch on the
## picture is a touch of the core's pointer at that spot, whatever the scaling, letterbox or turn of
## the picture; the light gun aims where the mouse points; a mouse port takes the mouse's motion,
## buttons and wheel ([member capture_mouse] holds the mouse inside the window). The screen takes
## focus when clicked, and while it has it the core gets the keyboard ([member keyboard_enabled]).
## [br][br]
## The screen follows what the core asks while it runs: it turns the picture for a vertical arcade
## game, restarts its sound and pacing when the game changes its frame or sample rate, makes the pad
## of each port vibrate when the game rumbles, and stops when the game quits by itself
## ([signal game_shut_down]).

## Emitted when [method load_game] has loaded the core and the game.
signal game_loaded
## Emitted when [method load_game] fails, with the reason as [method LibretroPlayer.get_last_error]
## gives it on the first line (scripts may compare it); when the core logged a warning or an error
## meanwhile (or the player said why it could not open the game), its last one follows on a
## second line: the cause to fix. Nothing stays loaded.
signal load_failed(message: String)
## Emitted when the core shut its game down by itself (a quit option of the game's own menu). The
## screen has unloaded the game and the core, writing the battery save, as [method unload_game] does.
signal game_shut_down

## The InputMap actions of the RetroPad buttons, indexed by libretro joypad id (0 is B, 8 is A).
const ACTIONS: Array[StringName] = [
	&"tovarune_b", &"tovarune_y", &"tovarune_select", &"tovarune_start",
	&"tovarune_up", &"tovarune_down", &"tovarune_left", &"tovarune_right",
	&"tovarune_a", &"tovarune_x", &"tovarune_l", &"tovarune_r",
	&"tovarune_l2", &"tovarune_r2", &"tovarune_l3", &"tovarune_r3",
]
## The second player's RetroPad buttons (the core's port 1), in the order of [constant ACTIONS].
const PLAYER_2_ACTIONS: Array[StringName] = [
	&"tovarune_p2_b", &"tovarune_p2_y", &"tovarune_p2_select", &"tovarune_p2_start",
	&"tovarune_p2_up", &"tovarune_p2_down", &"tovarune_p2_left", &"tovarune_p2_right",
	&"tovarune_p2_a", &"tovarune_p2_x", &"tovarune_p2_l", &"tovarune_p2_r",
	&"tovarune_p2_l2", &"tovarune_p2_r2", &"tovarune_p2_l3", &"tovarune_p2_r3",
]
## The InputMap action that, while held, steps the game back through its last
## [member rewind_seconds] instead of running it.
const REWIND_ACTION := &"tovarune_rewind"
## Frames between two rewind snapshots. Rewinding restores one snapshot per frame, so it runs back
## this many times faster than the game plays.
const REWIND_INTERVAL := 6
## After a stall, at most this many frames run in one tick; the rest of the lost time is dropped.
const MAX_CATCH_UP_FRAMES := 4
## Seconds of sound held ahead of the speaker: the most the sound can lag behind the picture.
const AUDIO_BUFFER_SECONDS := 0.1

# Godot's keys as libretro's.
const _RetroKeys := preload("retro_keys.gd")
# libretro's devices that take the screen's mouse and touches.
const _MOUSE := 2
const _LIGHTGUN := 4
const _POINTER := 6
# libretro's ids of the mouse's buttons and, for a light gun, trigger, reload and A.
const _MOUSE_BUTTONS := {MOUSE_BUTTON_LEFT: 2, MOUSE_BUTTON_RIGHT: 3, MOUSE_BUTTON_MIDDLE: 6,
	MOUSE_BUTTON_XBUTTON1: 9, MOUSE_BUTTON_XBUTTON2: 10}
const _GUN_BUTTONS := {MOUSE_BUTTON_LEFT: 2, MOUSE_BUTTON_RIGHT: 16, MOUSE_BUTTON_MIDDLE: 3}
# Notches (vertical up, horizontal right) of the wheel's buttons.
const _WHEEL := {MOUSE_BUTTON_WHEEL_UP: Vector2i(1, 0), MOUSE_BUTTON_WHEEL_DOWN: Vector2i(-1, 0),
	MOUSE_BUTTON_WHEEL_LEFT: Vector2i(0, -1), MOUSE_BUTTON_WHEEL_RIGHT: Vector2i(0, 1)}

## The libretro core: a [code]res://[/code] path (keep cores under [code]res://[/code] and enable the
## addon's plugin, and exported games carry them), a [code]user://[/code] one or an operating-system
## path.
@export_file("*.dll", "*.so") var core_path := ""
## The game file: a [code]res://[/code] path (exported games read it from their pack), a
## [code]user://[/code] one or an operating-system path. Leave it empty for a core that runs without
## content (Mr.Boom, 2048, DOSBox Pure...): it starts with no game.
@export_file var rom_path := ""
## Loads the game when the screen is ready. Without it, call [method load_game].
@export var load_on_ready := true
## Where the core looks for system files (BIOS images and the like); a packed [code]res://[/code]
## folder is copied out for the core.
@export var system_directory := "user://system"
## Where battery saves go, and save states by default. Keep it under [code]user://[/code]: an
## exported game's [code]res://[/code] is read-only.
@export var save_directory := "user://saves"
## The name, without extension, of this screen's battery save ([code].srm[/code]) and default save
## state ([code].state[/code]) in [member save_directory]. Empty takes the game's file name. Two
## screens never share a save file: while another screen's game has it, this one's takes
## [code]<name> (2)[/code], then [code](3)[/code]... in the order the screens load, so a room of
## cabinets that load in the same order keeps each save with its cabinet. Give each cabinet a name of
## its own to tie its save to it whatever the order.
@export var save_name := ""
## Scales the picture by whole multiples only (when it fits at least once).
@export var integer_scaling := false
## Reads the RetroPad from the InputMap. When off, every button is released.
@export var input_enabled := true
## Reads the second RetroPad from [constant PLAYER_2_ACTIONS]. Until it is on, the core's port 1
## gets no input at all (so the core sees one joypad, as with a one-player screen); it turns on by
## itself the first time one of those actions is pressed.
@export var second_player := false
## Seconds of play kept for rewinding, in a snapshot every [constant REWIND_INTERVAL] frames (0 turns
## rewinding off). The snapshots are kept in memory: a few megabytes for most consoles.
@export_range(0.0, 30.0) var rewind_seconds := 5.0
## The colour around the picture.
@export var background := Color.BLACK
## Runs the game's frames on the [WorkerThreadPool], so a slow core does not hold up the game's own
## frame rate. Each tick starts a task for its frames; the next tick waits for it, then plays its
## sound and shows its picture, one tick late. [method unload_game], [method save_state],
## [method load_state] and leaving the tree wait for it too. A call to [member player] while the
## task runs waits for the frame under way.
@export var run_on_worker_thread := false
## An [AudioStreamPlayer], [AudioStreamPlayer2D] or [AudioStreamPlayer3D] to play the game's sound
## through instead of the screen's own player, so that a screen in a 3D room sounds from its place.
## When the game loads, the screen gives it its stream and plays it, leaving its bus and other
## settings as they are. Any other node, or none, leaves the sound to the screen's own player.
@export var audio_player: Node
## The audio bus of the screen's own player (not of [member audio_player]).
@export var audio_bus := &"Master"
## The device plugged into each of the core's ports, by port number (0 to 7), as libretro numbers
## them: [code]1[/code] joypad, [code]2[/code] mouse, [code]3[/code] keyboard, [code]4[/code] light
## gun, [code]5[/code] analog joypad, [code]6[/code] pointer, or a subclass the core lists
## ([method LibretroPlayer.get_controller_types]). [code]-1[/code], and ports left out, keep the
## default joypad. The core is told when the game loads. The screen's mouse goes to the ports chosen
## as a mouse and as a light gun, and its clicks and touches on the picture to those chosen as a
## pointer; for a device no port is chosen as, to port 0's, where most cores read it anyway.
@export var port_devices: Array[int] = []
## Captures the mouse (hidden, and kept inside the window) when the screen is clicked, for games
## played with the mouse, until the screen loses focus or unloads its game.
@export var capture_mouse := false
## Gives the core the keyboard while the screen has focus (it takes focus when clicked): the keys the
## core reads and the key events of cores that take typing. Meanwhile the screen keeps the keys from
## the rest of the interface ([method Node._unhandled_input] too: read hotkeys in
## [method Node._input]); the RetroPad's actions still work as ever.
@export var keyboard_enabled := true
## Makes the gamepad of each port vibrate when the game rumbles (port 0 the first pad, port 1 the
## second, as the RetroPad actions have it).
@export var rumble := true

## The player that runs the core: for core options, reset and the rest of its methods.
var player := LibretroPlayer.new()

var _own_speaker := AudioStreamPlayer.new()
# The player the sound goes to while a game is loaded: _own_speaker or audio_player.
var _speaker: Node = null
var _playback: AudioStreamGeneratorPlayback = null
var _frame_time := 1.0 / 60.0
var _elapsed := 0.0
var _snapshots: Array[PackedByteArray] = []
var _frames_since_snapshot := 0
# The WorkerThreadPool task running frames, or -1. While it runs, only it touches the player.
var _task := -1
# The picture last taken from the player, drawn while a task runs.
var _texture: Texture2D = null
var _aspect := 0.0
# Quarter turns counter-clockwise of the picture shown, as the core asks.
var _turns := 0
# Calls that give the player input, made at the next tick when no task runs frames.
var _pending_input: Array[Callable] = []
# The retro_key codes the core's keyboard holds down.
var _held_keys := {}
var _captured_mouse := false
var _mix_rate := 0.0
# The strengths of each port's motors the core set: port -> Vector2(weak, strong).
var _motors := {}
# The last warning or error the core logged while loading.
var _core_problem := ""


func _init() -> void:
	set_anchors_preset(PRESET_FULL_RECT)
	texture_filter = TEXTURE_FILTER_NEAREST
	# Clicks and touches reach the game; unused, they go on to the parent.
	mouse_filter = MOUSE_FILTER_PASS
	focus_mode = FOCUS_CLICK
	add_child(player, false, INTERNAL_MODE_FRONT)
	add_child(_own_speaker, false, INTERNAL_MODE_FRONT)
	player.core_log.connect(_on_core_log)
	player.av_info_changed.connect(_on_av_info_changed)
	player.rumble_changed.connect(_on_rumble_changed)
	player.shutdown_requested.connect(_on_shutdown_requested)


func _ready() -> void:
	add_input_actions()
	if load_on_ready:
		load_game()


func _process(delta: float) -> void:
	advance(delta)


# Moved to another parent (by reparent(), or removed and added again in the same frame), the screen
# plays on; still out of the tree when the next frame starts, it has left for good.
func _exit_tree() -> void:
	var tree := get_tree()
	if not tree.process_frame.is_connected(_unload_if_gone):
		tree.process_frame.connect(_unload_if_gone, CONNECT_ONE_SHOT)


func _notification(what: int) -> void:
	# Freed, also by the game quitting: the battery save is written, and no task is left running,
	# which would call into a freed screen.
	if what == NOTIFICATION_PREDELETE:
		unload_game()
	elif what == NOTIFICATION_FOCUS_EXIT:
		_release_input()


func _gui_input(event: InputEvent) -> void:
	if _take_input(event):
		accept_event()


func _input(event: InputEvent) -> void:
	# A captured mouse stays put: its motion and buttons come here, wherever it seems to be.
	if _captured_mouse and event is InputEventMouse and _take_input(event):
		get_viewport().set_input_as_handled()


func _draw() -> void:
	draw_rect(Rect2(Vector2.ZERO, size), background)
	var texture := _picture()
	if texture == null:
		return
	# Turned about the centre of its place, counter-clockwise as the core asks.
	var rect := get_picture_rect()
	var upright := rect.size if _turns % 2 == 0 else Vector2(rect.size.y, rect.size.x)
	draw_set_transform(rect.get_center(), -_turns * PI / 2.0)
	draw_texture_rect(texture, Rect2(-upright / 2.0, upright), false)
	draw_set_transform(Vector2.ZERO)


## Adds [constant ACTIONS], [constant PLAYER_2_ACTIONS] and [constant REWIND_ACTION] to the InputMap
## with their default keys, pad buttons and sticks (player 1 on the first gamepad, player 2 on the
## second), leaving alone those the project already has. Screens call it when they are ready; call
## it earlier to show the actions in a remapping menu.
static func add_input_actions() -> void:
	for port in 2:
		var actions := ACTIONS if port == 0 else PLAYER_2_ACTIONS
		var defaults := _default_events(port)
		for id in actions.size():
			_add_action(actions[id], defaults[id])
	_add_action(REWIND_ACTION, [_key(KEY_R), _stick(JOY_AXIS_RIGHT_X, -1.0, -1)])


## Loads the core at [member core_path] and the game at [member rom_path], after stopping whatever
## this screen was playing. Emits [signal game_loaded] and returns [code]true[/code],
## or emits [signal load_failed] and returns [code]false[/code].
func load_game() -> bool:
	unload_game()
	player.set_paths(system_directory, save_directory)
	_core_problem = ""
	player.set_save_name(save_name)
	var loaded := player.load_core(core_path)
	if loaded:
		for port in mini(port_devices.size(), 8):
			if port_devices[port] >= 0:
				player.set_port_device(port, port_devices[port])
		loaded = player.load_game(rom_path)
	if not loaded:
		var message := player.get_last_error()
		if not _core_problem.is_empty():
			message += "\n" + _core_problem
		player.unload_core()
		load_failed.emit(message)
		return false
	_frame_time = 1.0 / player.get_fps()
	_elapsed = 0.0
	_start_audio()
	game_loaded.emit()
	return true


## Writes the game's battery save and unloads the game and the core. Leaving the tree for good, or
## being freed, does it too; to play again, call [method load_game].
func unload_game() -> void:
	_finish_frames()
	_release_input()
	_send_input()
	player.unload_core()
	if is_instance_valid(_speaker):
		_speaker.stop()
	_speaker = null
	_playback = null
	_snapshots.clear()
	queue_redraw()


## Returns [code]true[/code] while a game is loaded.
func is_playing() -> bool:
	return _task != -1 or player.is_game_loaded()


## Runs the frames that [param delta] more seconds of play are worth at the core's frame rate (at
## most [constant MAX_CATCH_UP_FRAMES]), then queues their sound and shows the last picture. Returns
## how many frames ran, or with [member run_on_worker_thread], how many it started on the worker
## thread (after showing those of the call before). [method Node._process] calls it; with
## processing off, call it yourself.
func advance(delta: float) -> int:
	_finish_frames()
	_send_input()
	if not player.is_game_loaded():
		return 0
	_elapsed += delta
	var frames := mini(floori(_elapsed / _frame_time), MAX_CATCH_UP_FRAMES)
	_elapsed = 0.0 if frames == MAX_CATCH_UP_FRAMES else _elapsed - frames * _frame_time
	if frames == 0:
		return 0
	_read_buttons()
	if rewind_seconds > 0.0 and _pressed(REWIND_ACTION):
		frames = _step_back()
	if run_on_worker_thread:
		# High priority: the pool runs few low-priority tasks at once (one on a machine of under
		# seven threads), so screens would take turns instead of playing side by side.
		_task = WorkerThreadPool.add_task(_run_frames.bind(frames), true, "LibretroScreen frames")
	else:
		_run_frames(frames)
		_show_frames()
	return frames


## Saves a snapshot of the game to [param path], by default
## [code]<save_directory>/<save name>.state[/code], where the save name is the battery save's
## ([member save_name] or the ROM's name, see [method LibretroPlayer.get_save_name]). Returns
## [code]false[/code] when no game is loaded or the file cannot be written.
func save_state(path := "") -> bool:
	_finish_frames()
	return player.save_state(_state_path(path))


## Restores the game from a snapshot that [method save_state] wrote to [param path] (the same
## default). Returns [code]false[/code] when no game is loaded or the snapshot is missing or refused.
func load_state(path := "") -> bool:
	_finish_frames()
	return player.load_state(_state_path(path))


## Changes to the game's next disc, after the last back to the first (the discs a core of several
## discs knows, for example from an [code].m3u[/code] playlist; see
## [method LibretroPlayer.set_disk_index]). Returns [code]false[/code] when the game has no other
## disc or the core refused.
func next_disk() -> bool:
	_finish_frames()
	var count := player.get_disk_count()
	if count < 2:
		return false
	return player.set_disk_index((player.get_disk_index() + 1) % count)


## Returns where the picture goes inside the screen: as large as fits, centred, at the picture's
## proportions, turned as the core asks ([method LibretroPlayer.get_rotation]: a quarter turn
## swaps its width and height). Empty before the first frame.
func get_picture_rect() -> Rect2:
	var texture := _picture()
	if texture == null:
		return Rect2()
	var picture := _picture_size(texture)
	if _turns % 2 == 1:
		picture = Vector2(picture.y, picture.x)
	var factor := minf(size.x / picture.x, size.y / picture.y)
	if integer_scaling and factor >= 1.0:
		factor = floorf(factor)
	picture *= factor
	return Rect2(((size - picture) / 2.0).round(), picture)


## Returns where [param point], in the screen's own coordinates, falls on the game's picture, as a
## fraction of the picture the core makes: [code](0, 0)[/code] its top left corner and
## [code](1, 1)[/code] its bottom right, whatever the picture's scale, letterbox and turn. A point
## beside the picture gives values outside 0..1.
func picture_position(point: Vector2) -> Vector2:
	var rect := get_picture_rect()
	if not rect.has_area():
		return Vector2(-1.0, -1.0)
	return _unturn((point - rect.position) / rect.size, _turns)


# A position on the picture shown (or a motion, without `point`) as a fraction of the picture shown,
# turned back by `turns` quarter turns counter-clockwise to the picture the core makes.
static func _unturn(shown: Vector2, turns: int, point := true) -> Vector2:
	var whole := 1.0 if point else 0.0
	match turns & 3:
		1:
			return Vector2(whole - shown.y, shown.x)
		2:
			return Vector2(whole - shown.x, whole - shown.y)
		3:
			return Vector2(shown.y, whole - shown.x)
	return shown


# The picture's shape before scaling: the frame's height at the game's aspect ratio, or the frame's
# own size (square pixels) when the core does not say.
func _picture_size(texture: Texture2D) -> Vector2:
	var frame := Vector2(texture.get_size())
	return Vector2(frame.y * _aspect, frame.y) if _aspect > 0.0 else frame


# The player's picture, or while a task runs, the one taken last.
func _picture() -> Texture2D:
	if _task == -1:
		_texture = player.get_video_texture()
		_aspect = player.get_aspect_ratio()
		_turns = player.get_rotation()
	return _texture


func _unload_if_gone() -> void:
	if not is_inside_tree():
		unload_game()


# On the worker thread with run_on_worker_thread: nothing else touches the player or the snapshots
# until _wait_for_frames().
func _run_frames(frames: int) -> void:
	for _frame in frames:
		if not player.is_game_loaded():
			return # shut down by the core meanwhile
		player.run_frame()
		_keep_snapshot()


func _show_frames() -> void:
	_feed_audio()
	_picture() # now, while no task runs: the redraw may come after the next one has started
	queue_redraw()


# Returns true when there was a task to wait for.
func _wait_for_frames() -> bool:
	if _task == -1:
		return false
	WorkerThreadPool.wait_for_task_completion(_task)
	_task = -1
	return true


func _finish_frames() -> void:
	if _wait_for_frames():
		_show_frames()


func _read_buttons() -> void:
	for id in ACTIONS.size():
		player.set_button(id, _pressed(ACTIONS[id]))
	# Even a release counts as input to a port, which the core is then told is plugged in.
	second_player = second_player or PLAYER_2_ACTIONS.any(_pressed)
	if second_player:
		for id in PLAYER_2_ACTIONS.size():
			player.set_port_button(1, id, _pressed(PLAYER_2_ACTIONS[id]))


# Gives the core what a Godot input event over the screen means for its devices; true when the
# screen takes the event.
func _take_input(event: InputEvent) -> bool:
	if not input_enabled or not is_playing():
		return false
	if event is InputEventKey:
		return _take_key(event)
	if (event is InputEventMouseButton or event is InputEventScreenTouch) and event.pressed:
		if focus_mode != FOCUS_NONE:
			grab_focus()
		if capture_mouse:
			Input.mouse_mode = Input.MOUSE_MODE_CAPTURED
			_captured_mouse = true
	if event is InputEventMouseButton:
		_take_mouse_button(event)
	elif event is InputEventMouseMotion:
		_take_mouse_motion(event)
	elif event is InputEventScreenTouch or event is InputEventScreenDrag:
		var pressed: bool = event is InputEventScreenDrag or event.pressed
		for port in _ports_of(_POINTER):
			_give(player.set_pointer, [port, event.index, picture_position(event.position), pressed])
	else:
		return false
	return true


func _take_mouse_button(event: InputEventMouseButton) -> void:
	var at := picture_position(event.position)
	var button := event.button_index
	for port in _ports_of(_MOUSE):
		var notches: Vector2i = _WHEEL.get(button, Vector2i.ZERO)
		if notches != Vector2i.ZERO and event.pressed:
			_give(player.add_mouse_wheel, [port, notches.x, notches.y])
		elif _MOUSE_BUTTONS.has(button):
			_give(player.set_mouse_button, [port, _MOUSE_BUTTONS[button], event.pressed])
	for port in _ports_of(_LIGHTGUN):
		_give(player.set_lightgun_position, [port, at])
		if _GUN_BUTTONS.has(button):
			_give(player.set_lightgun_button, [port, _GUN_BUTTONS[button], event.pressed])
	if button == MOUSE_BUTTON_LEFT:
		for port in _ports_of(_POINTER):
			_give(player.set_pointer, [port, 0, at, event.pressed])


func _take_mouse_motion(event: InputEventMouseMotion) -> void:
	var texture := _picture()
	var rect := get_picture_rect()
	if texture != null and rect.has_area():
		# Pixels of the picture the core makes.
		var moved := _unturn(event.relative / rect.size, _turns, false) * Vector2(texture.get_size())
		for port in _ports_of(_MOUSE):
			_give(player.add_mouse_motion, [port, moved.x, moved.y])
	if _captured_mouse:
		return
	var at := picture_position(event.position)
	for port in _ports_of(_LIGHTGUN):
		_give(player.set_lightgun_position, [port, at])
	var held := event.button_mask & MOUSE_BUTTON_MASK_LEFT != 0
	for port in _ports_of(_POINTER):
		_give(player.set_pointer, [port, 0, at, held])


func _take_key(event: InputEventKey) -> bool:
	if not keyboard_enabled or not has_focus():
		return false
	var code := _RetroKeys.code_of(event)
	var character := event.unicode if event.pressed else 0
	if code == 0 and character == 0:
		return false
	# The core's keyboard repeats by itself, as a console's would.
	if not event.echo:
		if code != 0:
			if event.pressed:
				_held_keys[code] = true
			else:
				_held_keys.erase(code)
		_give(player.set_key, [code, event.pressed, character, _RetroKeys.modifiers_of(event)])
	return true


# Lets go of what the screen holds for the core: its keys, its touches and the mouse.
func _release_input() -> void:
	for code: int in _held_keys:
		_give(player.set_key, [code, false, 0, 0])
	_held_keys.clear()
	for port in _ports_of(_POINTER):
		_give(player.release_pointers, [port])
	if _captured_mouse:
		Input.mouse_mode = Input.MOUSE_MODE_VISIBLE
		_captured_mouse = false


# The ports chosen as the libretro device `base` (or a subclass of it), or with none, port 0.
func _ports_of(base: int) -> Array[int]:
	var ports: Array[int] = []
	for port in mini(port_devices.size(), 8):
		if port_devices[port] >= 0 and port_devices[port] & 0xff == base:
			ports.append(port)
	if ports.is_empty():
		ports.append(0)
	return ports


# Input reaches the player at the next tick, before its frames: never while a task runs them.
func _give(method: Callable, arguments: Array) -> void:
	_pending_input.append(method.bindv(arguments))


func _send_input() -> void:
	for give in _pending_input:
		give.call()
	_pending_input.clear()


func _pressed(action: StringName) -> bool:
	return input_enabled and Input.is_action_pressed(action)


# Restores the newest snapshot older than the picture shown, which the one frame it returns then
# shows; at the oldest, waits.
func _step_back() -> int:
	if _frames_since_snapshot == 0 and not _snapshots.is_empty():
		_snapshots.pop_back()
	_frames_since_snapshot = 0
	if _snapshots.is_empty():
		return 0
	player.load_state_from_bytes(_snapshots.pop_back())
	return 1


func _keep_snapshot() -> void:
	_frames_since_snapshot += 1
	if rewind_seconds <= 0.0 or _frames_since_snapshot < REWIND_INTERVAL:
		return
	_frames_since_snapshot = 0
	var snapshot := player.save_state_to_bytes()
	if not snapshot.is_empty(): # a core may refuse now and then, or always (it says why once)
		_snapshots.append(snapshot)
	while _snapshots.size() * REWIND_INTERVAL * _frame_time > rewind_seconds:
		_snapshots.pop_front()


func _start_audio() -> void:
	var generator := AudioStreamGenerator.new()
	generator.mix_rate_mode = AudioStreamGenerator.MIX_RATE_CUSTOM
	generator.mix_rate = player.get_sample_rate()
	_mix_rate = generator.mix_rate
	generator.buffer_length = AUDIO_BUFFER_SECONDS
	_own_speaker.bus = audio_bus
	_speaker = _own_speaker
	if is_instance_valid(audio_player) and (audio_player is AudioStreamPlayer
			or audio_player is AudioStreamPlayer2D or audio_player is AudioStreamPlayer3D):
		_speaker = audio_player
	_speaker.stream = generator
	if _speaker.is_inside_tree():
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


func _on_core_log(level: int, message: String) -> void:
	if level >= 2:
		_core_problem = message


# The game's rates changed while it runs: the frames follow the new rate, and the sound restarts
# at its new one. Changes made while the game loads are read when it has loaded.
func _on_av_info_changed() -> void:
	if _speaker == null:
		return
	_frame_time = 1.0 / player.get_fps()
	_elapsed = 0.0
	if player.get_sample_rate() != _mix_rate:
		_start_audio()
	queue_redraw()


func _on_rumble_changed(port: int, effect: int, strength: float) -> void:
	var motors: Vector2 = _motors.get(port, Vector2.ZERO)
	if effect == 0:
		motors.y = strength
	else:
		motors.x = strength
	_motors[port] = motors
	if motors == Vector2.ZERO or not rumble:
		Input.stop_joy_vibration(port)
	else:
		Input.start_joy_vibration(port, motors.x, motors.y)


func _on_shutdown_requested() -> void:
	unload_game()
	game_shut_down.emit()


func _state_path(path: String) -> String:
	if path.is_empty():
		return save_directory.path_join(player.get_save_name() + ".state")
	return path


static func _add_action(action: StringName, events: Array) -> void:
	if InputMap.has_action(action):
		return
	InputMap.add_action(action, 0.5)
	for event: InputEvent in events:
		InputMap.action_add_event(action, event)


# Port 0 or 1: the player's keys, and the pad of the same number.
static func _default_events(port: int) -> Array:
	var keys: Array[Key] = [KEY_Z, KEY_A, KEY_BACKSPACE, KEY_ENTER, KEY_UP, KEY_DOWN, KEY_LEFT,
		KEY_RIGHT, KEY_X, KEY_S, KEY_Q, KEY_W, KEY_1, KEY_2, KEY_3, KEY_4]
	if port == 1:
		keys = [KEY_N, KEY_H, KEY_7, KEY_8, KEY_I, KEY_K, KEY_J, KEY_L, KEY_M, KEY_U, KEY_Y, KEY_O,
			KEY_9, KEY_0, KEY_MINUS, KEY_EQUAL]
	# Godot names pad buttons by position (A is the bottom one); the RetroPad's B is the bottom one.
	return [
		[_key(keys[0]), _pad(JOY_BUTTON_A, port)],
		[_key(keys[1]), _pad(JOY_BUTTON_X, port)],
		[_key(keys[2]), _pad(JOY_BUTTON_BACK, port)],
		[_key(keys[3]), _pad(JOY_BUTTON_START, port)],
		[_key(keys[4]), _pad(JOY_BUTTON_DPAD_UP, port), _stick(JOY_AXIS_LEFT_Y, -1.0, port)],
		[_key(keys[5]), _pad(JOY_BUTTON_DPAD_DOWN, port), _stick(JOY_AXIS_LEFT_Y, 1.0, port)],
		[_key(keys[6]), _pad(JOY_BUTTON_DPAD_LEFT, port), _stick(JOY_AXIS_LEFT_X, -1.0, port)],
		[_key(keys[7]), _pad(JOY_BUTTON_DPAD_RIGHT, port), _stick(JOY_AXIS_LEFT_X, 1.0, port)],
		[_key(keys[8]), _pad(JOY_BUTTON_B, port)],
		[_key(keys[9]), _pad(JOY_BUTTON_Y, port)],
		[_key(keys[10]), _pad(JOY_BUTTON_LEFT_SHOULDER, port)],
		[_key(keys[11]), _pad(JOY_BUTTON_RIGHT_SHOULDER, port)],
		[_key(keys[12]), _stick(JOY_AXIS_TRIGGER_LEFT, 1.0, port)],
		[_key(keys[13]), _stick(JOY_AXIS_TRIGGER_RIGHT, 1.0, port)],
		[_key(keys[14]), _pad(JOY_BUTTON_LEFT_STICK, port)],
		[_key(keys[15]), _pad(JOY_BUTTON_RIGHT_STICK, port)],
	]


# Physical keys, so the layout is the same on every keyboard.
static func _key(keycode: Key) -> InputEventKey:
	var event := InputEventKey.new()
	event.physical_keycode = keycode
	event.device = -1
	return event


static func _pad(button: JoyButton, device: int) -> InputEventJoypadButton:
	var event := InputEventJoypadButton.new()
	event.button_index = button
	event.device = device
	return event


# Device -1 is any pad.
static func _stick(axis: JoyAxis, direction: float, device: int) -> InputEventJoypadMotion:
	var event := InputEventJoypadMotion.new()
	event.axis = axis
	event.axis_value = direction
	event.device = device
	return event
