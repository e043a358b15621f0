# Faults the self-test plants in scratch copies of the plug-in's sources, one
# build each; the soak must catch every one as the category named. Each is a
# text patch at an anchor that must occur exactly once in its file (under
# src/); when the sources change so that it does not, the self-test fails
# and says so.
set(PLANTED_FAULTS pen_never_deleted lock_never_released write_past_block menu_never_destroyed
                   insert_row_off_by_one crash_in_paint repeat_delay_one_tick_short toggle_stores_one
                   action_before_receivers menu_at_wrong_corner destroyed_written_after_handler)

set(pen_never_deleted_FILE controls/separator.cpp)
set(pen_never_deleted_EXPECT gdi)
set(pen_never_deleted_ANCHOR "    DeleteObject(darkPen);\n    DeleteObject(lightPen);\n")
set(pen_never_deleted_REPLACEMENT "    DeleteObject(darkPen);\n")

set(lock_never_released_FILE controls/bevel_button/model.cpp)
set(lock_never_released_EXPECT lock)
set(lock_never_released_ANCHOR "    host::ZOKAUnlockString(row->text);\n    delete row;")
set(lock_never_released_REPLACEMENT "    delete row;")

set(write_past_block_FILE controls/placard.cpp)
set(write_past_block_EXPECT guard)
set(write_past_block_ANCHOR "    dataOf(instance).value = static_cast<uint8_t>(value & 0xFF);\n")
set(write_past_block_REPLACEMENT "    dataOf(instance).value = static_cast<uint8_t>(value & 0xFF);
    reinterpret_cast<uint8_t*>(&dataOf(instance))[sizeof(InstanceData)] = 1;\n")

set(menu_never_destroyed_FILE controls/bevel_button/interaction.cpp)
set(menu_never_destroyed_EXPECT menu)
set(menu_never_destroyed_ANCHOR "    DestroyMenu(menu);\n")
set(menu_never_destroyed_REPLACEMENT "")

set(insert_row_off_by_one_FILE controls/bevel_button/model.cpp)
# Rows in the wrong place show through List, or as locks given back on the
# wrong row's text when a row is removed.
set(insert_row_off_by_one_EXPECT behaviour,lock)
set(insert_row_off_by_one_ANCHOR "step < row && *link != nullptr")
set(insert_row_off_by_one_REPLACEMENT "step <= row && *link != nullptr")

# Through the driver: the crash ends a chunk process and is found again from
# its seed, run and step.
set(crash_in_paint_FILE controls/popup_arrow.cpp)
set(crash_in_paint_EXPECT crash)
set(crash_in_paint_ANCHOR "    if (facing < 0 || facing >= kFacingCount) return;\n")
set(crash_in_paint_REPLACEMENT "    if (facing == 5) *reinterpret_cast<volatile int*>(static_cast<uintptr_t>(facing) - 5) = 0;
    if (facing < 0 || facing >= kFacingCount) return;\n")

# Behaviour: the model, written from the published behaviour, must tell.
set(repeat_delay_one_tick_short_FILE controls/little_arrows.cpp)
set(repeat_delay_one_tick_short_EXPECT behaviour)
set(repeat_delay_one_tick_short_ANCHOR "constexpr uint32_t kRepeatDelayTicks = 25;")
set(repeat_delay_one_tick_short_REPLACEMENT "constexpr uint32_t kRepeatDelayTicks = 24;")

set(toggle_stores_one_FILE controls/bevel_button/interaction.cpp)
set(toggle_stores_one_EXPECT behaviour)
set(toggle_stores_one_ANCHOR "            data.value = data.value != 0 ? 0 : 1;\n")
set(toggle_stores_one_REPLACEMENT "            data.value = 1;\n")

set(action_before_receivers_FILE controls/bevel_button/interaction.cpp)
set(action_before_receivers_EXPECT behaviour)
set(action_before_receivers_ANCHOR "    if (!notifyReceivers(control, dataOf(control))) return false;
    return control_events::firePlainEvent(control, eventAt(kActionEvent)).survived;\n")
set(action_before_receivers_REPLACEMENT "    if (!control_events::firePlainEvent(control, eventAt(kActionEvent)).survived) return false;
    return notifyReceivers(control, dataOf(control));\n")

set(menu_at_wrong_corner_FILE controls/bevel_button/layout.cpp)
set(menu_at_wrong_corner_EXPECT behaviour)
set(menu_at_wrong_corner_ANCHOR "kMenuBelow ? POINT{bounds.left, bounds.bottom}")
set(menu_at_wrong_corner_REPLACEMENT "kMenuBelow ? POINT{bounds.left, bounds.top}")

# The mended path undone once: the release resets the click's state in a
# button that its Action handler or a receiver destroyed.
set(destroyed_written_after_handler_FILE controls/bevel_button/interaction.cpp)
set(destroyed_written_after_handler_EXPECT late)
set(destroyed_written_after_handler_ANCHOR "    if (survived) data.mouseDownHandled = false;\n")
set(destroyed_written_after_handler_REPLACEMENT "    (void)survived;\n    data.mouseDownHandled = false;\n")
