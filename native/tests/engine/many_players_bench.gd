extends SceneTree
# Wall time per frame of eight LibretroPlayers (the games of many_players_check.gd),
# after a warm-up: all on the main thread, then as a game with run_on_worker_thread
# screens runs them, one WorkerThreadPool task per player and frame, the pictures and
# sound taken on the main thread; the tasks at high priority, as LibretroScreen starts
# them, and at low priority. The fastest of a few rounds, the three taking turns.
#   godot --headless --path <project> --script res://many_players_bench.gd --
#     --cores=<directory> --roms=<directory> [--frames=600] [--rounds=3]

const GAMES := [["nestopia", "nes"], ["gambatte", "gb"], ["mgba", "gba"],
	["bsnes_mercury_performance", "sfc"], ["mednafen_pce_fast", "pce"],
	["nestopia", "nes"], ["gambatte", "gb"], ["mgba", "gba"]]

var players: Array[LibretroPlayer] = []


func _initialize() -> void:
	var args := {"--frames": "600", "--rounds": "3"}
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	var frames := int(args["--frames"])
	var system := ProjectSettings.globalize_path("user://many_players_bench/system")
	for index in GAMES.size():
		var player := LibretroPlayer.new()
		root.add_child(player)
		player.set_paths(system, "") # no battery saves
		if not (player.load_core(args["--cores"].path_join("%s_libretro.so" % GAMES[index][0]))
				and player.load_game(args["--roms"].path_join("battery." + GAMES[index][1]))):
			printerr("cannot load %s: %s" % [GAMES[index], player.get_last_error()])
			quit(1)
			return
		players.append(player)

	run_sequential(frames) # warm-up, past every game's boot
	run_threaded(frames, true)
	var alone: Array[String] = []
	for player in players:
		var start := Time.get_ticks_usec()
		for _frame in 60:
			player.run_frame()
		alone.append("%.2f" % ((Time.get_ticks_usec() - start) / 60000.0))
	var best := [INF, INF, INF]
	for _round in int(args["--rounds"]):
		best[0] = minf(best[0], run_sequential(frames))
		best[1] = minf(best[1], run_threaded(frames, true))
		best[2] = minf(best[2], run_threaded(frames, false))
	print("eight players, %d processors, fastest of %s rounds of %d frames after %d of warm-up"
		% [OS.get_processor_count(), args["--rounds"], frames, 2 * frames])
	print("  each alone, ms per run_frame:   %s" % ", ".join(alone))
	print("  sequential on the main thread:  %.3f ms per frame" % best[0])
	print("  8 high-priority tasks a frame:  %.3f ms per frame, %.2f of sequential"
		% [best[1], best[1] / best[0]])
	print("  8 low-priority tasks a frame:   %.3f ms per frame, %.2f of sequential"
		% [best[2], best[2] / best[0]])
	for player in players:
		player.free()
	await create_timer(0.5).timeout
	quit()


# Milliseconds per frame of all eight.
func run_sequential(frames: int) -> float:
	var start := Time.get_ticks_usec()
	for _frame in frames:
		for player in players:
			player.run_frame()
			take_output(player)
	return (Time.get_ticks_usec() - start) / 1000.0 / frames


# As screens with run_on_worker_thread do it, each in its turn: wait for its player's task,
# take the picture and sound of its frame, start the task of its next frame. So one player's
# picture is taken while the others' frames run.
func run_threaded(frames: int, high_priority: bool) -> float:
	var start := Time.get_ticks_usec()
	var tasks: Array[int] = []
	tasks.resize(players.size())
	tasks.fill(-1)
	for _frame in frames:
		for index in players.size():
			if tasks[index] != -1:
				WorkerThreadPool.wait_for_task_completion(tasks[index])
				take_output(players[index])
			tasks[index] = WorkerThreadPool.add_task(players[index].run_frame, high_priority)
	for index in players.size():
		WorkerThreadPool.wait_for_task_completion(tasks[index])
		take_output(players[index])
	return (Time.get_ticks_usec() - start) / 1000.0 / frames


func take_output(player: LibretroPlayer) -> void:
	player.get_video_texture()
	player.pop_audio_frames()
