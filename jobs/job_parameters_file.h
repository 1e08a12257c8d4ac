// Job-parameter files: the texts of the program-mode fields, saved and loaded on the operator's
// word.
#pragma once

#include <QString>

namespace ostrel {

// The fields as typed; numbers stay texts so that a file gives back exactly what was typed.
struct JobParameterTexts {
    QString speed_xy;              // speedXyEdit
    QString speed_xy_rapid;        // speedXyRapidEdit
    QString z_travel;              // zTravelEdit
    QString speed_z_up;            // speedZUpEdit
    QString speed_z_down;          // speedZDownEdit
    QString drill_depth;           // drillDepthEdit
    QString marker_diameter;       // markerDiameterEdit: its two digits, "05" for 0,5 mm
    bool return_to_origin = true;  // returnToOriginCheck
    // The true-size reading: each page's mode, the DXF page's unit and circles, and the
    // placement row, so that a board's files are placed alike after a load.
    bool dxf_standard = false;     // dxfStandardCheck
    QString dxf_unit;              // dxfUnitCombo: "" (the file's), "mm", "cm", "m", "in", "ft"
    bool circles_as_holes = true;  // circleHolesCheck
    bool gerber_standard = false;  // gerberStandardCheck
    QString origin = QStringLiteral("file");  // placementOriginCombo: "file" or "corner"
    QString offset_x = QStringLiteral("0");   // offsetXEdit
    QString offset_y = QStringLiteral("0");   // offsetYEdit
    bool mirror_x = false;                    // mirrorXCheck
};

// Writes every field under [job], atomically: a failed write (a full disk) leaves an older file
// whole. Returns an empty string on success, else the reason for the operator, which says when
// the older file was kept.
QString write_job_parameters_file(const QString& path, const JobParameterTexts& texts);

// Reads a file written by write_job_parameters_file. Keys the file lacks keep what texts held;
// on any error (unreadable file, a FIFO or anything else that is no regular file, no job
// parameters in it, a value that can't be used) texts is left unchanged and the reason for the
// operator is returned. Empty on success.
QString read_job_parameters_file(const QString& path, JobParameterTexts& texts);

}  // namespace ostrel
