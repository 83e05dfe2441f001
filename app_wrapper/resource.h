#pragma once

// Identifiers of the standalone program's dialogs, menu and controls.

#define IDD_DIALOG_MAIN 40001
#define IDD_DIALOG_PREF 40002
#define IDR_MENU1 40004
#define ID_ABOUT 40005
#define ID_PREFERENCES 40006
#define ID_QUIT 40007

// Preferences controls.
#define IDC_COMBO_AUDIO_DRIVER 40008
#define IDC_COMBO_AUDIO_IN_DEV 40009
#define IDC_COMBO_AUDIO_OUT_DEV 40010
#define IDC_COMBO_AUDIO_IOVS 40011
#define IDC_COMBO_AUDIO_SIGVS 40012
#define IDC_COMBO_AUDIO_SR 40013
#define IDC_COMBO_AUDIO_IN_L 40014
#define IDC_COMBO_AUDIO_IN_R 40015
#define IDC_COMBO_AUDIO_OUT_R 40016
#define IDC_COMBO_AUDIO_OUT_L 40017
#define IDC_COMBO_MIDI_IN_DEV 40018
#define IDC_COMBO_MIDI_OUT_DEV 40019
#define IDC_COMBO_MIDI_IN_CHAN 40020
#define IDC_COMBO_MIDI_OUT_CHAN 40021
#define IDC_BUTTON_AUDIO_SETUP 40022
#define IDC_CB_MONO_INPUT 40023
#define IDC_BUTTON_APPLY 40024

// A dialog or menu resource id as the windowing layer's lookups take it.
#define APP_RESID(id) ((const char*)(INT_PTR)(id))
