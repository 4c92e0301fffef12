extends Control
## Plays a ROM on a LibretroScreen:
##   godot --path demo -- --core=<core library> --rom=<game file> [--frames=N]
## F5 saves a state, F8 loads it. A label shows the first byte of the console's system RAM, where
## our test ROMs (NES, SNES, PC Engine) count frames: the host game looking into the emulated one.
## With --frames=N it runs N frames, writes the battery save and quits, with exit code 1 when the
## core or the game did not load.

@onready var screen: LibretroScreen = $Screen
@onready var message: Label = $Message
@onready var ram: Label = $Ram

var frame_limit := -1
var frames_run := 0


func _ready() -> void:
	var args := {}
	for arg in OS.get_cmdline_user_args():
		if arg.begins_with("--") and "=" in arg:
			args[arg.substr(2).get_slice("=", 0)] = arg.get_slice("=", 1)
	frame_limit = int(args.get("frames", "-1"))
	get_tree().auto_accept_quit = false
	# A smoke run counts its frames, so it drives the screen itself.
	screen.set_process(frame_limit < 0)
	screen.core_path = args.get("core", "")
	screen.rom_path = args.get("rom", "")
	if screen.core_path.is_empty() or screen.rom_path.is_empty():
		_on_screen_load_failed("Uso: godot --path demo -- --core=<core> --rom=<rom> [--frames=N]")
	else:
		screen.load_game()


func _process(delta: float) -> void:
	if frame_limit >= 0:
		_count(screen.advance(delta))
	var bytes := screen.player.read_memory(2, 0, 1)  # region 2: system RAM
	ram.text = "" if bytes.is_empty() else "RAM $0000: %02X" % bytes[0]


func _count(frames: int) -> void:
	frames_run += frames
	if frames_run >= frame_limit:
		var texture := screen.player.get_video_texture()
		var picture := "no picture" if texture == null else "%dx%d" % [texture.get_width(), texture.get_height()]
		print("%s: %d frames, %s, %s" % [screen.rom_path.get_file(), frames_run, picture, ram.text])
		_quit(0)


# Ahead of the screen, which keeps the keys for the game while it has focus.
func _input(event: InputEvent) -> void:
	var key := event as InputEventKey
	if key == null or not key.pressed or key.echo or not screen.is_playing():
		return
	if key.physical_keycode == KEY_F5:
		message.text = "Estado salvo." if screen.save_state() else "Nao foi possivel salvar o estado."
	elif key.physical_keycode == KEY_F8:
		message.text = "Estado carregado." if screen.load_state() else "Nao foi possivel carregar o estado."


func _on_screen_game_loaded() -> void:
	message.text = "F5: salvar estado   F8: carregar estado"


func _on_screen_load_failed(text: String) -> void:
	message.text = text
	if frame_limit >= 0:
		printerr(text)
		_quit(1)


func _notification(what: int) -> void:
	if what == NOTIFICATION_WM_CLOSE_REQUEST:
		_quit(0)


# The audio server lets go of a stopped sound only a moment later: quitting at
# once would leave it behind, reported as leaked.
func _quit(exit_code: int) -> void:
	set_process(false)
	screen.unload_game()
	await get_tree().create_timer(0.5).timeout
	get_tree().quit(exit_code)
