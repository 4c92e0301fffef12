extends SceneTree
# Eight LibretroPlayers (five cores, three of them a second time from the same core
# file) must each play exactly as alone: interleaved on the main thread, then every
# frame of each in a WorkerThreadPool task. After 600 frames with A held in a rhythm
# of its own, each one's save RAM, system RAM and picture must equal its solo run's.
#   godot --headless --path <project> --script res://many_players_check.gd --
#     --cores=<directory of the Debian cores> --roms=<directory of the test ROMs>

const FRAMES := 600
const GAMES := [["nestopia", "nes"], ["gambatte", "gb"], ["mgba", "gba"],
	["bsnes_mercury_performance", "sfc"], ["mednafen_pce_fast", "pce"],
	["nestopia", "nes"], ["gambatte", "gb"], ["mgba", "gba"]]

var failures := 0
var cores := ""
var roms := ""


class Seat:
	var index := 0
	var player := LibretroPlayer.new()
	var snapshot := PackedByteArray()

	# Shifted by the index, so that players on one core differ on the last frames.
	@warning_ignore("integer_division")
	func play(frame: int) -> void:
		player.set_button(8, ((frame + index) / (5 + index)) % 2 == 1)
		if frame == FRAMES - 1: # to replay the last frame (result_of)
			snapshot = player.save_state_to_bytes()
		player.run_frame()


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func _initialize() -> void:
	var args := {}
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	cores = args["--cores"]
	roms = args["--roms"]

	var solo: Array[Dictionary] = []
	for index in GAMES.size():
		var seat := seat_for(index, "solo")
		for frame in FRAMES:
			seat.play(frame)
		solo.append(result_of(seat, false))
	var sizes: Array[String] = []
	var ok := true
	for result in solo:
		sizes.append("%d/%d/%d" % [result.save.size(), result.ram.size(), result.picture.size()])
		ok = ok and not result.save.is_empty() and not result.picture.is_empty()
	for index in range(5, 8): # else players swapped with their twins would pass
		ok = ok and solo[index].save != solo[index - 5].save
		ok = ok and solo[index].picture != solo[index - 5].picture
	check("solo runs (bytes of save RAM/system RAM/picture)", ok, sizes)

	var seats := seats_for("main")
	for frame in FRAMES:
		for seat in seats:
			seat.play(frame)
	compare("8 players interleaved on the main thread", seats, solo, false)

	seats = seats_for("threads")
	# Each frame's players spread over the pool's threads: high priority, as low-priority
	# tasks get one thread at a time on machines of under seven processors.
	for frame in FRAMES:
		var group := WorkerThreadPool.add_group_task(
			func(i: int) -> void: seats[i].play(frame), seats.size(), -1, true)
		WorkerThreadPool.wait_for_group_task_completion(group)
	compare("8 players on WorkerThreadPool tasks", seats, solo, true)

	await create_timer(0.5).timeout # the audio server settles before quitting
	quit(1 if failures > 0 else 0)


func seat_for(index: int, run: String) -> Seat:
	var seat := Seat.new()
	seat.index = index
	root.add_child(seat.player)
	var saves := ProjectSettings.globalize_path("user://many_players/%s/%d" % [run, index])
	DirAccess.remove_absolute(saves.path_join("battery.srm")) # left by an earlier check
	seat.player.set_paths(ProjectSettings.globalize_path("user://many_players/system"), saves)
	if not (seat.player.load_core(core_of(index)) and seat.player.load_game(rom_of(index))):
		check("%s load %d" % [run, index], false, seat.player.get_last_error())
	return seat


func seats_for(run: String) -> Array[Seat]:
	var seats: Array[Seat] = []
	for index in GAMES.size():
		seats.append(seat_for(index, run))
	return seats


func result_of(seat: Seat, shown: bool) -> Dictionary:
	var player := seat.player
	var result := {save = player.read_memory(0, 0, player.get_memory_size(0)),
		ram = player.read_memory(2, 0, player.get_memory_size(2))}
	if shown: # frames run off the main thread: the texture is made here, from the last one
		result.shown = picture(player)
	# Headless, a texture keeps only the pixels it was made with: the player, its game
	# reloaded so that its next frame makes a new texture, replays the last frame.
	player.load_game(rom_of(seat.index))
	player.load_state_from_bytes(seat.snapshot)
	seat.play(FRAMES - 1)
	result.picture = picture(player)
	player.free()
	return result


func compare(run: String, seats: Array[Seat], solo: Array[Dictionary], shown: bool) -> void:
	var wrong: Array[String] = []
	for index in seats.size():
		var result := result_of(seats[index], shown)
		for key: String in result:
			if result[key] != solo[index][key.replace("shown", "picture")]:
				wrong.append("%d %s" % [index, key])
	check(run, wrong.is_empty(), wrong if wrong else "all as alone")


func picture(player: LibretroPlayer) -> PackedByteArray:
	var texture := player.get_video_texture()
	return texture.get_image().get_data() if texture != null else PackedByteArray()


func core_of(index: int) -> String:
	return cores.path_join("%s_libretro.so" % GAMES[index][0])


func rom_of(index: int) -> String:
	return roms.path_join("battery." + GAMES[index][1])
