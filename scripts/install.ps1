# Installation script of the demo package (Windows PowerShell 5.1).
#
# The Launcher's installer window runs it as
#   powershell.exe -NoProfile -ExecutionPolicy Bypass -File scripts\install.ps1
#       -Destination <new installation folder> [-RomFolder1 <folder>] [-RomFolder2 <folder>]
# with the installation root as working folder, and shows every line it prints; a line that
# starts with "[STAGE n" moves the progress bar. Exit code 0 means the destination now holds a
# working installation whose TalvaroOvraRecomp.exe "Open launcher" starts.
#
# A release's script identifies the user's ROMs by SHA-256, generates and compiles the two games
# and fills the destination. The demo package has no games to build: this script goes through
# the same stages at a human pace and lays out a working copy of the demo installation (the
# launcher, its artwork and fonts, the demo game as game 1 with its ROM input, and
# .local\installation.json). The ROM folders are only read, never changed.
#
# Under Wine there is no PowerShell: the project's stand-in (tests/standin) takes its place and
# follows the "#standin" lines below, which do the same steps.

param(
    [Parameter(Mandatory = $true)][string]$Destination,
    [string]$RomFolder1 = "",
    [string]$RomFolder2 = ""
)

$ErrorActionPreference = "Stop"
$package = (Get-Location).Path

function Stage([int]$number, [string]$text) {
    Write-Output "[STAGE $number/8] $text"
    Start-Sleep -Milliseconds 900
}

try {
    Stage 1 "Checking the ROM folders"
    foreach ($folder in @($RomFolder1, $RomFolder2)) {
        if ($folder -ne "" -and -not (Test-Path -LiteralPath $folder -PathType Container)) {
            throw "ROM folder not found: $folder"
        }
    }
    Stage 2 "Identifying ROM images by SHA-256"
    foreach ($folder in @($RomFolder1, $RomFolder2) | Where-Object { $_ -ne "" } | Select-Object -Unique) {
        Get-ChildItem -LiteralPath $folder -File | Where-Object { $_.Extension -in ".bin", ".md", ".gen", ".zip" } |
            ForEach-Object { Write-Output ("  {0}  {1}" -f (Get-FileHash -LiteralPath $_.FullName -Algorithm SHA256).Hash, $_.Name) }
    }
    Stage 3 "Preparing the installation folder"
    New-Item -ItemType Directory -Force -Path $Destination | Out-Null
    Stage 4 "Generating game sources (nothing to generate in the demo)"
    Stage 5 "Compiling (the demo game is already built)"
    New-Item -ItemType Directory -Force -Path (Join-Path $Destination "games\tlvr1") | Out-Null
    Copy-Item -LiteralPath (Join-Path $package "games\tlvr1\tlvr1.exe") -Destination (Join-Path $Destination "games\tlvr1\tlvr1.exe") -Force
    Stage 6 "Copying the launcher, artwork and fonts"
    Copy-Item -LiteralPath (Join-Path $package "TalvaroOvraRecomp.exe") -Destination $Destination -Force
    Copy-Item -LiteralPath (Join-Path $package "assets") -Destination $Destination -Recurse -Force
    Stage 7 "Writing the ROM input of game 1"
    New-Item -ItemType Directory -Force -Path (Join-Path $Destination "roms") | Out-Null
    Copy-Item -LiteralPath (Join-Path $package "roms\tlvr1.bin") -Destination (Join-Path $Destination "roms\tlvr1.bin") -Force
    Stage 8 "Recording the installation"
    New-Item -ItemType Directory -Force -Path (Join-Path $Destination ".local") | Out-Null
    Set-Content -LiteralPath (Join-Path $Destination ".local\installation.json") -Encoding ASCII `
        -Value '{"version": "0.60", "installed_by": "demo install.ps1", "games": ["tlvr1"]}'
    Write-Output "Installed into $Destination"
    exit 0
} catch {
    Write-Output "ERROR: $($_.Exception.Message)"
    exit 1
}

# The same steps for the stand-in (ignored by PowerShell: they are comments).
#standin out [STAGE 1/8] Checking the ROM folders
#standin sleep 900
#standin out [STAGE 2/8] Identifying ROM images by SHA-256
#standin out   (the stand-in does not read ROMs)
#standin sleep 900
#standin out [STAGE 3/8] Preparing the installation folder
#standin sleep 900
#standin out [STAGE 4/8] Generating game sources (nothing to generate in the demo)
#standin sleep 900
#standin out [STAGE 5/8] Compiling (the demo game is already built)
#standin copy {Root}\games\tlvr1\tlvr1.exe | {Destination}\games\tlvr1\tlvr1.exe
#standin sleep 900
#standin out [STAGE 6/8] Copying the launcher, artwork and fonts
#standin copy {Root}\TalvaroOvraRecomp.exe | {Destination}\TalvaroOvraRecomp.exe
#standin copy {Root}\assets | {Destination}\assets
#standin sleep 900
#standin out [STAGE 7/8] Writing the ROM input of game 1
#standin copy {Root}\roms\tlvr1.bin | {Destination}\roms\tlvr1.bin
#standin sleep 900
#standin out [STAGE 8/8] Recording the installation
#standin write {Destination}\.local\installation.json | {"version": "0.60", "installed_by": "demo install.ps1", "games": ["tlvr1"]}\r\n
#standin sleep 900
#standin out Installed into {Destination}
#standin exit 0
