extends SceneTree
# Cores that render with OpenGL, in a real engine: two players of the fake OpenGL core
# and, when one is given, two of a real hardware-rendering PlayStation core, play 600
# frames interleaved on the main thread, then on WorkerThreadPool tasks. Each picture
# must be the one expected, the same in both runs, and drawn by the GPU path.
#   godot --headless --path <project> --script res://hardware_render_check.gd --
#     --fake-core=<fake_gl_core.so> --rom=<any file>
#     [--psx-core=<mednafen_psx_hw_libretro.so> --psx-game=<PS-X EXE> --psx-system=<dir>]

const FRAMES := 600

var failures := 0
var args := {}


class Seat:
	var player := LibretroPlayer.new()
	var game := ""
	var snapshot := PackedByteArray()
	var lines: Array[String] = []

	func play(frame: int) -> void:
		if frame == FRAMES - 1: # to replay the last frame (picture_of)
			snapshot = player.save_state_to_bytes()
		player.run_frame()

	func logged(_level: int, message: String) -> void:
		lines.append(message)


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func _initialize() -> void:
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	var kinds := ["fake", "fake"]
	if args.has("--psx-core"):
		kinds.append_array(["psx", "psx"])
	else:
		print("skip the PlayStation core: no --psx-core given")

	var seats := seats_for(kinds)
	for frame in FRAMES:
		for seat in seats:
			seat.play(frame)
	judge("on the main thread", seats, kinds)

	seats = seats_for(kinds)
	for frame in FRAMES:
		var group := WorkerThreadPool.add_group_task(
			func(i: int) -> void: seats[i].play(frame), seats.size(), -1, true)
		WorkerThreadPool.wait_for_group_task_completion(group)
	judge("on WorkerThreadPool tasks", seats, kinds)

	await create_timer(0.5).timeout
	quit(1 if failures > 0 else 0)


func seats_for(kinds: Array) -> Array[Seat]:
	var seats: Array[Seat] = []
	for kind: String in kinds:
		var seat := Seat.new()
		root.add_child(seat.player)
		seat.player.core_log.connect(seat.logged)
		var core: String = args["--fake-core"]
		seat.game = args["--rom"]
		if kind == "psx":
			core = args["--psx-core"]
			seat.game = args["--psx-game"]
			seat.player.set_paths(args["--psx-system"], OS.get_user_data_dir().path_join("psx"))
		var loaded := seat.player.load_core(core)
		if kind == "psx":
			seat.player.set_core_option("beetle_psx_hw_renderer", "hardware_gl")
		loaded = loaded and seat.player.load_game(seat.game)
		check("%s loads" % kind, loaded, seat.player.get_last_error())
		seats.append(seat)
	return seats


func judge(run: String, seats: Array[Seat], kinds: Array) -> void:
	var pictures: Array[Image] = []
	for seat in seats:
		pictures.append(picture_of(seat))
	for index in seats.size():
		var image := pictures[index]
		var name := "%s %d %s" % [kinds[index], index, run]
		if image == null:
			check(name, false, "no picture")
		elif kinds[index] == "fake":
			check(name, fake_picture_is_right(image), image.get_size())
		else:
			check(name, psx_picture_is_right(image, seats[index].lines), image.get_size())
	if kinds.size() == 4:
		check("both PlayStation players show the same " + run,
			pictures[2] != null and pictures[3] != null
			and pictures[2].get_data() == pictures[3].get_data())
	for seat in seats:
		seat.player.free()


# Headless, a texture keeps only the pixels it was made with: the game is loaded
# again, so that its next frame makes a new texture, and the last frame replayed.
func picture_of(seat: Seat) -> Image:
	seat.player.load_game(seat.game)
	seat.player.load_state_from_bytes(seat.snapshot)
	seat.player.run_frame()
	var texture := seat.player.get_video_texture()
	return texture.get_image() if texture != null else null


func near(image: Image, x: float, y: float, rgb: Color) -> bool:
	var pixel := image.get_pixel(int(x * image.get_width()), int(y * image.get_height()))
	return absf(pixel.r - rgb.r) < 0.05 and absf(pixel.g - rgb.g) < 0.05 \
		and absf(pixel.b - rgb.b) < 0.05


# The fake core's 8x6 picture: its background, a red rectangle cleared at rows 1-2
# and a green one drawn by a shader through the stencil at rows 3-5.
func fake_picture_is_right(image: Image) -> bool:
	var background := Color8(0x20, 64, 128)
	return image.get_size() == Vector2i(8, 6) and near(image, 0.0, 0.0, background) \
		and near(image, 1.5 / 8, 1.5 / 6, Color.RED) and near(image, 4.5 / 8, 3.5 / 6, Color.GREEN) \
		and near(image, 6.5 / 8, 4.5 / 6, background)


# The PlayStation program's 320x240 screen: a blue background, a red triangle at the
# top left, and a green square stepping along the bottom; drawn by the OpenGL renderer.
func psx_picture_is_right(image: Image, lines: Array[String]) -> bool:
	var background := Color8(0x10, 0x20, 0x60)
	# Its OpenGL renderer binds its shader programs; its fallback to software says so.
	var drawn_by_gpu := lines.any(func(line: String) -> bool:
		return line.contains("Binding program for first time")) \
		and not lines.any(func(line: String) -> bool:
			return line.contains("software renderer") or line.contains("rejected"))
	var square := 0
	for x in 320:
		if near(image, (x + 0.5) / 320, 224.5 / 240, Color.GREEN):
			square += 1
	return drawn_by_gpu and near(image, 70.0 / 320, 70.0 / 240, Color.RED) \
		and near(image, 300.0 / 320, 20.0 / 240, background) \
		and near(image, 150.0 / 320, 150.0 / 240, background) and square >= 28 and square <= 36
