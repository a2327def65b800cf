"""The package version, kept equal to the SDK's."""
__version__ = "0.1.0"
