#!/usr/bin/perl
# Post-link step of vistello.exe: writes the file's own length into its nine-byte
# package-offset constant (high 32-bit word, low 32-bit word, both little-endian, then a zero
# byte), so that the built program is a valid stub for picture packages.
# The constant is found behind its 16-byte tag "VISTELLO:PKGOFS\0", which must occur once.
use strict;
use warnings;

my $path = shift or die "usage: stamp-package-offset.pl PROGRAM\n";
open(my $fh, '+<:raw', $path) or die "cannot open $path: $!\n";
local $/;
my $bytes = <$fh>;
my $tag = "VISTELLO:PKGOFS\0";
my $at = index($bytes, $tag);
die "$path: package-offset tag not found\n" if $at < 0;
die "$path: package-offset tag found twice\n" if index($bytes, $tag, $at + 1) >= 0;
my $length = length($bytes);
my $high = int($length / 4294967296);
my $low = $length % 4294967296;
seek($fh, $at + length($tag), 0) or die "seek: $!\n";
print $fh pack('VVC', $high, $low, 0) or die "write: $!\n";
close($fh) or die "close: $!\n";
