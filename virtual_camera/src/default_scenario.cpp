// The built-in scenario: a camera with a capability report and a legacy camera.
#include "scenario_parser.hpp"

namespace sonix_virtual {
namespace {

const char kDefaultScenario[] = R"json({
  "description": "Two stereo cameras: cam0 reports its capabilities, cam1 is a legacy camera",
  "devices": [
    {
      "id": "cam0",
      "vid": "0x0C45",
      "pid": "0x0643",
      "name": "Velmora Stereo S1",
      "device_path": "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
      "id_bytes": "big",
      "product_name": "Velmora Stereo S1",
      "descriptor_text": "Velmora Stereo Camera",
      "serial_number": "VLM643A00017",
      "firmware_version": "SN292-250311-V1.4",
      "v4l2_node": 0,
      "capability": {
        "minor_version": 0,
        "flash": {"address": "0x51000", "size": "0x10000"},
        "imu": {"model": "IMU-A", "unit": 4, "selector": 10, "length": 17, "exponent": 1,
                "temperature_offset": 250, "temperature_scale": 1280, "accel_scale": 2048, "gyro_scale": 164}
      },
      "imu": {"generator": {"kind": "sine", "period_samples": 400, "accel_amplitude": 180, "gyro_amplitude": 120,
                            "gravity": 2048, "temperature": 832, "counter_step": 1000}},
      "flash": {
        "size": "0x100000",
        "write_protected": true,
        "blocks": [
          {"address": "0x51000", "record_version": 1, "json_document": {
            "format": "stereo-calibration", "version": 1, "serial": "VLM643A00017",
            "image_size": [1280, 720],
            "left": {"fx": 712.4, "fy": 712.1, "cx": 641.2, "cy": 359.8, "dist": [-0.041, 0.012, 0.0, 0.0, 0.0]},
            "right": {"fx": 711.9, "fy": 711.6, "cx": 638.7, "cy": 361.3, "dist": [-0.039, 0.011, 0.0, 0.0, 0.0]},
            "extrinsics": {"rotation": [1, 0, 0, 0, 1, 0, 0, 0, 1], "translation_mm": [-60.02, 0.11, -0.05]},
            "imu_to_left": {"translation_mm": [12.5, -3.0, 0.8]}
          }}
        ]
      }
    },
    {
      "id": "cam1",
      "vid": "0x0C45",
      "pid": "0x0645",
      "name": "Velmora Stereo L2",
      "device_path": "\\\\?\\usb#vid_0c45&pid_0645&mi_00#7&2b3c4d5e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
      "id_bytes": "little",
      "product_name": "Velmora Stereo L2",
      "descriptor_text": "Velmora Stereo Camera (legacy)",
      "serial_number": "VLM645B00342",
      "firmware_version": "SN292-250120-V1.2",
      "v4l2_node": 2,
      "capability": "zeros",
      "imu": {"node": 4, "selector": 10, "length": 17,
              "generator": {"kind": "ramp", "period_samples": 100, "accel_amplitude": 400, "gyro_amplitude": 300,
                            "gravity": 2048, "temperature": 640, "counter_step": 2500}},
      "flash": {
        "size": "0x100000",
        "write_protected": true,
        "blocks": [
          {"address": "0x51000", "json_document": {
            "format": "stereo-calibration", "version": 1, "serial": "VLM645B00342",
            "image_size": [640, 480],
            "left": {"fx": 356.2, "fy": 356.0, "cx": 320.4, "cy": 239.1},
            "right": {"fx": 355.8, "fy": 355.9, "cx": 319.7, "cy": 240.6},
            "baseline_mm": 50.1
          }}
        ]
      }
    }
  ],
  "backends": {
    "msmf": {"entries": [
      {"device": "cam0", "friendly_name": "Velmora Stereo S1",
       "symbolic_link": "\\\\?\\USB#VID_0C45&PID_0643&MI_00#7&1A2B3C4D&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}\\global"},
      {"device": "cam1", "friendly_name": "Velmora Stereo L2",
       "symbolic_link": "\\\\?\\USB#VID_0C45&PID_0645&MI_00#7&2B3C4D5E&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}\\global"}
    ]},
    "dshow": {"entries": [
      {"device": "cam0", "friendly_name": "Velmora Stereo S1", "description": "USB Video Device", "binds": true,
       "device_path": "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global"},
      {"device": "cam1", "friendly_name": "Velmora Stereo L2", "description": "USB Video Device", "binds": true,
       "device_path": "\\\\?\\usb#vid_0c45&pid_0645&mi_00#7&2b3c4d5e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global"}
    ]}
  }
})json";

}  // namespace

const char* default_scenario_text() { return kDefaultScenario; }

}  // namespace sonix_virtual
