extends RefCounted
## Godot's keys as libretro's [code]retro_key[/code] codes and [code]retro_mod[/code] bits, for
## [method LibretroPlayer.set_key].
##
## Keys are read by their place on the keyboard (the physical key of a US layout), as the core's
## console would; the character a key types goes with it.

# Keys outside the printable ASCII range, which keep their code.
const _SPECIAL := {
	KEY_BACKSPACE: 8, KEY_TAB: 9, KEY_CLEAR: 12, KEY_ENTER: 13, KEY_PAUSE: 19, KEY_ESCAPE: 27,
	KEY_DELETE: 127,
	KEY_KP_0: 256, KEY_KP_1: 257, KEY_KP_2: 258, KEY_KP_3: 259, KEY_KP_4: 260, KEY_KP_5: 261,
	KEY_KP_6: 262, KEY_KP_7: 263, KEY_KP_8: 264, KEY_KP_9: 265, KEY_KP_PERIOD: 266,
	KEY_KP_DIVIDE: 267, KEY_KP_MULTIPLY: 268, KEY_KP_SUBTRACT: 269, KEY_KP_ADD: 270,
	KEY_KP_ENTER: 271,
	KEY_UP: 273, KEY_DOWN: 274, KEY_RIGHT: 275, KEY_LEFT: 276, KEY_INSERT: 277, KEY_HOME: 278,
	KEY_END: 279, KEY_PAGEUP: 280, KEY_PAGEDOWN: 281,
	KEY_F1: 282, KEY_F2: 283, KEY_F3: 284, KEY_F4: 285, KEY_F5: 286, KEY_F6: 287, KEY_F7: 288,
	KEY_F8: 289, KEY_F9: 290, KEY_F10: 291, KEY_F11: 292, KEY_F12: 293, KEY_F13: 294,
	KEY_F14: 295, KEY_F15: 296,
	KEY_NUMLOCK: 300, KEY_CAPSLOCK: 301, KEY_SCROLLLOCK: 302,
	KEY_HELP: 315, KEY_PRINT: 316, KEY_SYSREQ: 317, KEY_MENU: 319,
}
# Keys that come in a left and a right one: [left, right].
const _SIDED := {
	KEY_SHIFT: [304, 303], KEY_CTRL: [306, 305], KEY_ALT: [308, 307], KEY_META: [311, 312],
}


## Returns the [code]retro_key[/code] of [param event]'s key, or [code]0[/code] (unknown) for a key
## libretro does not name.
static func code_of(event: InputEventKey) -> int:
	var key := event.physical_keycode if event.physical_keycode != KEY_NONE else event.keycode
	if key >= KEY_SPACE and key <= KEY_ASCIITILDE:
		# Letters are named by their small letter.
		return key + 32 if key >= KEY_A and key <= KEY_Z else key
	if _SIDED.has(key):
		return _SIDED[key][1 if event.location == KEY_LOCATION_RIGHT else 0]
	return _SPECIAL.get(key, 0)


## Returns the modifiers held in [param event] as [code]retro_mod[/code] bits.
static func modifiers_of(event: InputEventWithModifiers) -> int:
	return ((1 if event.shift_pressed else 0) | (2 if event.ctrl_pressed else 0)
		| (4 if event.alt_pressed else 0) | (8 if event.meta_pressed else 0))
